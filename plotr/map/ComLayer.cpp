#include <cstdio>
#include <string>

#include "platform/win/CLocale.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"

bool CMapRenderer::DrawComFrequencies(MapDrawContext& ctx) {
  if (!MapCom) return true;
  gdi::Dc& dc = ctx.dc;
  gdi::DcStateGuard guard(dc);
  const int ave = dc.GetTextMetrics().aveCharWidth;
  dc.SelectPen(mappens::PenRed);
  dc.SelectBrush(LabelBrush(ctx));
  const int zoom = GetZoom();
  const CSceneryDatabase& db = Database();
  return WalkPoints(ctx, kArrayCom, [&](const NavPoint& p, int x, int y) {
    if (zoom < kDetailZoom) {
      DrawSmallCross(dc, zoom, x, y);
      return;
    }
    const gdi::Point square[5] = {{x - 30, y - 30}, {x + 30, y - 30}, {x + 30, y + 30}, {x - 30, y + 30}, {x - 30, y - 30}};
    dc.Polyline(square);
    Labels().push_back({x - 45, y - 45, x + 45, y + 45});
    const ComRecord* com = db.GetCom(p);
    if ((!MapId && !MapFreq) || !com) return;
    const int type = com->Type();
    const char* word = type == kComAtis ? "ATIS" : (type == kComPilotLighting ? "PCL" : "");
    char text[48];
    {
      win::CLocaleScope cLocale;
      const double mhz = com->frequency;
      if (MapId && MapFreq) {
        std::snprintf(text, sizeof text, "%s %6.2f", word, mhz);
      } else if (MapId) {
        std::snprintf(text, sizeof text, "%s", word);
      } else {
        std::snprintf(text, sizeof text, "%6.2f", mhz);
      }
    }
    const gdi::Size size = dc.GetTextExtent(text);
    gdi::Rect rect{x, y, x + size.cx + ave, y + size.cy};
    if (!PlaceLabel(rect, x, y, 75)) return;
    dc.Rectangle(rect.left, rect.top, rect.right, rect.bottom);
    dc.TextOut(rect.left + 30, rect.top, text);
  });
}
