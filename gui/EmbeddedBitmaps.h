#pragma once

namespace marrowfold {

// Makes the bitmaps compiled into the module the platform's source of bitmap resources.
void offerEmbeddedBitmaps();

}  // namespace marrowfold
