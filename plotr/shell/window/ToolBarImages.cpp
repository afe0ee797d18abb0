#include "plotr/shell/window/ToolBarImages.h"

#include <wx/artprov.h>
#include <wx/image.h>

#include <algorithm>
#include <vector>

#include "plotr/core/CommandIds.h"
#include "plotr/map/ToolImages.h"

namespace {

wxBitmap ToBitmap(const ToolImage& image, double scale) {
  wxImage out(image.width, image.height);
  out.InitAlpha();
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      out.SetRGB(x, y, p[0], p[1], p[2]);
      out.SetAlpha(x, y, p[3]);
    }
  }
  wxBitmap bitmap(out);
  bitmap.SetScaleFactor(scale);
  return bitmap;
}

// The theme's names for a command, best first; the last are wx's own art ids, which wx draws
// itself when the theme has none of them. The zoom commands get a drawn magnifier: themes
// without one give a plus in a box, which reads as adding something.
std::vector<wxString> ArtIds(int command) {
  switch (command) {
    case cmd::kFileNew: return {wxART_NEW};
    case cmd::kFileOpen: return {wxART_FILE_OPEN};
    case cmd::kFileSave: return {wxART_FILE_SAVE};
    case cmd::kPrint: return {wxART_PRINT};
    case cmd::kEditUndo: return {wxART_UNDO};
    case cmd::kEditRedo: return {wxART_REDO};
    case cmd::kEditCut: return {wxART_CUT};
    case cmd::kEditCopy: return {wxART_COPY};
    case cmd::kEditPaste: return {wxART_PASTE};
    case cmd::kEditDelete: return {wxART_DELETE};
    case cmd::kSettings: return {"preferences-system", "preferences-system-symbolic", wxART_EXECUTABLE_FILE};
    case cmd::kHelpFinder: return {"help-contents", "help-contents-symbolic", wxART_HELP_BOOK, wxART_HELP};
    case cmd::kContextHelp: return {"help-faq", "help-faq-symbolic", wxART_QUESTION};
    case cmd::kAppAbout: return {"help-about", "help-about-symbolic", wxART_INFORMATION};
    default: return {};
  }
}

}  // namespace

wxBitmapBundle ToolBarImage(int command, const wxSize& size) {
  const std::optional<ToolImage> one = MapToolImage(command, size.x, size.y, 1);
  const std::optional<ToolImage> two = MapToolImage(command, size.x * 2, size.y * 2, 2);
  if (one && two) return wxBitmapBundle::FromBitmaps(ToBitmap(*one, 1), ToBitmap(*two, 2));
  // Theme icons are square: the largest square the image area holds.
  const int side = std::min(size.x, size.y + 1);
  for (const wxString& id : ArtIds(command)) {
    const wxBitmapBundle art = wxArtProvider::GetBitmapBundle(id, wxART_TOOLBAR, wxSize(side, side));
    if (!art.IsOk()) continue;
    // Both scales are asked for at once, so a theme without a large copy shows here too.
    const wxBitmap a = art.GetBitmap(wxSize(side, side)), b = art.GetBitmap(wxSize(side * 2, side * 2));
    if (!a.IsOk() || !b.IsOk()) continue;
    wxBitmap large = b;
    large.SetScaleFactor(2);
    return wxBitmapBundle::FromBitmaps(a, large);
  }
  const std::optional<ToolImage> drawnOne = FallbackToolImage(command, size.x, size.y, 1);
  const std::optional<ToolImage> drawnTwo = FallbackToolImage(command, size.x * 2, size.y * 2, 2);
  if (drawnOne && drawnTwo) return wxBitmapBundle::FromBitmaps(ToBitmap(*drawnOne, 1), ToBitmap(*drawnTwo, 2));
  return {};
}
