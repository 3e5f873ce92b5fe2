#pragma once

namespace marrowfold {

// Makes the editor's bitmaps compiled into the module the platform's source of bitmap resources,
// once for the process, before the editor loads the first one. Where the platform loads them from
// the module's own resources (Windows), there is nothing to install.
void offerEmbeddedBitmaps();

}  // namespace marrowfold
