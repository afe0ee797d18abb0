#include "planexport/opsplan/OpsplanWriter.h"

#include <gtest/gtest.h>

#include "planexport/route/testing/LevelFileModule.h"

namespace {

using namespace flpxtest;

const LevelFileModule kOpsplan = {
    "Opsplan", "opsplan", OPSPLAN_MODULE, "planexport/opsplan/tests/goldens/LFPG-EDDF.fp", "fp", "FPAirSpeed=",
    "FPAlt=17500", "FPAlt=FL180",
    "[FLIGHTPLAN]\r\nFPDepAirport=LFPG\r\nFPDestAirport=EDDF\r\nFPRoute=DCT\r\nFPAirSpeed=420\r\n"
    "FPAlt=15000\r\nFPSlotHour=0\r\nFPSlotMin=4\r\n",
    WriteOpsplanPlan};

TEST(OpsplanModule, WritesTheGoldenPlanAndKeepsItsFolder) { ExpectGoldenExportsAndFolder(kOpsplan); }

TEST(OpsplanModule, StopsAtTheFirstFailedLine) { ExpectStopAtTheFirstFailedLine(kOpsplan); }

}  // namespace
