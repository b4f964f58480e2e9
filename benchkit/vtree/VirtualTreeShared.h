// Internals of the tree unit shared across its source files: the check
// image strips every tree shares.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/VirtualTreeTypes.h"

class TCustomImageList;

namespace vtree {

// The strip for a check image kind (null for ckCustom); made on first use
// under the unit lock and shared by every tree.
TCustomImageList* SharedCheckImages(TCheckImageKind Kind);
// Frees the strips (unit shut-down).
void FreeSharedCheckImages();

} // namespace vtree

#pragma GCC visibility pop
