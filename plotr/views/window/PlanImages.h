#pragma once

// The plan lists' image strip, drawn in code with an alpha channel: the 40 icons of 16 x 15 pixels,
// each also with the current-row or bearing overlay and the procedure mark, since the list
// shows one image per row; and the manual-setting triangle in two colours.

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/imaglist.h>

#include <functional>

namespace planimages {

inline constexpr int kIconCount = 40;
inline constexpr int kWidth = 16;
inline constexpr int kHeight = 15;

// A picture that `draw` paints on a clear bitmap, transparent wherever it painted nothing,
// whatever colours it uses.
wxBitmap DrawnWithAlpha(int width, int height, const std::function<void(wxDC&)>& draw);

// The image of an icon with its overlay (0 none, 1 current row, 2 bearing) and procedure mark.
int ComposedIndex(int icon, int overlay, bool procedure);
// The triangle in the list's text colour, and in the highlight text colour for selected rows.
int TriangleIndex(bool highlight);

// A new image list holding every composed image and the triangles (the caller owns it).
wxImageList* BuildImageList(const wxColour& text, const wxColour& highlight);
// Draws the triangles again in new colours.
void SetTriangleColours(wxImageList& list, const wxColour& text, const wxColour& highlight);

}  // namespace planimages
