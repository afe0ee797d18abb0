#include <gtest/gtest.h>

#include <clocale>

#include "navdb/tests/support/NavdbFixture.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/map/tests/support/MapLayerTest.h"

namespace {

using gdi::Op;
using gdi::RecordedCall;

using maptest::kCx;
using maptest::kCy;

class ComLayerTest : public ::testing::Test {
 protected:
  ComLayerTest() {
    maptest::AddSwissFile(db);
    r.SetDatabase(&db);
    r.MapRoundWorld = 0;
    r.ColorScheme = kSchemeWhite;
    r.MapCom = 1;
  }
  std::vector<RecordedCall> Run(int zoom) {
    r.PushZoom(zoom, 47, 8);
    return maptest::RunLayer(r, &CMapRenderer::DrawComFrequencies, {&db});
  }

  CSceneryDatabase db;
  CMapRenderer r;
};

TEST_F(ComLayerTest, LabelsByTypeAndSwitches) {
  struct Case {
    uint16_t type;
    uint8_t id, freq;
    const char* text;
  } cases[] = {
      {kComAtis, 1, 0, "ATIS"},
      {5, 1, 0, ""},  // a plain COM: an empty box
      {kComPilotLighting | 0x8000, 1, 1, "PCL 122.80"},
      {5, 0, 1, "122.80"},
  };
  // A desktop that writes decimal commas still gets points on the map.
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    for (int i = 0; i < db.m_coms.GetSize(); ++i) db.m_coms[i].SetShown(false);
    const ComRecord com = navdbtest::Com(c.type, 122.8f);
    ASSERT_TRUE(navdbtest::AddPointAt(db, 47, 8, kKindCom, &com));
    r.MapId = c.id;
    r.MapFreq = c.freq;
    const std::vector<RecordedCall> calls = Run(64);
    const bool empty = c.text[0] == 0;
    ASSERT_EQ(calls.size(), empty ? 2u : 3u);  // square, box, text
    EXPECT_EQ(calls[0].points.size(), 5u);
    EXPECT_EQ(calls[1].op, Op::Rectangle);
    EXPECT_GT(calls[1].rect.Width(), 0);
    if (!empty) {
      EXPECT_EQ(calls[2].text, c.text);
    }
  }
  if (german) std::setlocale(LC_NUMERIC, "C");
  r.MapId = r.MapFreq = 1;
  const std::vector<RecordedCall> calls = Run(63);
  ASSERT_EQ(calls.size(), 2u);  // a plus sign, no label
  EXPECT_EQ(calls[0].pen, mappens::PenRed);
}

}  // namespace
