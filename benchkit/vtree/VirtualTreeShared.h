// Internals of the tree unit shared across its source files: the check
// image strips every tree shares.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/VirtualTreeTypes.h"

#include <win32/windef.h>

class TBitmap;
class TCustomImageList;

namespace vtree {

// The strip for a check image kind (null for ckCustom); made on first use
// under the unit lock and shared by every tree.
TCustomImageList* SharedCheckImages(TCheckImageKind Kind);
// Frees the strips (unit shut-down).
void FreeSharedCheckImages();
// The system colours changed: the colour-mapped strips that exist and the
// utility glyphs are loaded again, in place, so every tree keeps its list.
void ReloadSharedCheckImages();

// --- Artwork from the library's resources (VirtualTreeResources.cpp) ---
// The resource of a strip kind ("VT_CHECK_LIGHT" ...); null for the kinds
// the system draws and for ckCustom.
const char16_t* CheckResourceName(TCheckImageKind Kind);
// Fills the list with the squares of the bitmap resource, each transparent
// in the colour of the strip's top-left pixel; the caller holds the unit lock.
void LoadCheckImages(TCustomImageList* List, const char16_t* ResName, bool MapColors);
// The header's glyphs: drop marks left and right, sort descending and
// ascending; made on first use.
TCustomImageList* UtilityImages();
void FreeUtilityImages();
// Loads the glyphs again when they were made.
void ReloadUtilityImages();
HCURSOR HeaderSplitCursor();
// The shaded (fmShaded) node button bitmaps.
void LoadShadedButton(TBitmap* Bitmap, bool Plus);

} // namespace vtree

#pragma GCC visibility pop
