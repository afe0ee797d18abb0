#include "planexport/netplanb/NetplanbWriter.h"

#include <gtest/gtest.h>

#include "planexport/route/testing/LevelFileModule.h"

namespace {

using namespace flpxtest;

const LevelFileModule kNetplanb = {
    "Netplanb", "netplanb", NETPLANB_MODULE, "planexport/netplanb/tests/goldens/LFPG-EDDF.sfp", "sfp", "Airspeed=",
    "Altitude=F175", "Altitude=F180",
    "[SBFlightPlan]\r\nDeparture=LFPG\r\nArrival=EDDF\r\nFlightHours=0\r\nFlightMinutes=4\r\n"
    "Airspeed=420\r\nAltitude=F150\r\nRoute=DCT\r\n",
    WriteNetplanbPlan};

TEST(NetplanbModule, WritesTheGoldenPlanAndKeepsItsFolder) { ExpectGoldenExportsAndFolder(kNetplanb); }

TEST(NetplanbModule, StopsAtTheFirstFailedLine) { ExpectStopAtTheFirstFailedLine(kNetplanb); }

}  // namespace
