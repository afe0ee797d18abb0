#pragma once

// The pictures of the SID/STAR browser: its image strip of 16-pixel images (points, vertical
// points, catalogue, procedures, authors, the twelve direction sectors, regions, countries,
// dates) and the two tab buttons. GTK's tree has no overlay images, so a strip can carry a
// second copy of every image with one overlay drawn over it.

#include <wx/bitmap.h>
#include <wx/imaglist.h>

namespace sidstarwx {

inline constexpr int kStripImages = 39;

// The strip; with `overlay` >= 0 the images kStripImages + i show image i under that overlay.
wxImageList* CreateBrowserImages(int overlay);
// The index of an image in a strip made with an overlay.
inline int WithOverlay(int image, bool overlay) { return overlay ? kStripImages + image : image; }

// The tab buttons: 0 the airport tree, 1 the procedure tree.
wxBitmap TabBitmap(int tab);

}  // namespace sidstarwx
