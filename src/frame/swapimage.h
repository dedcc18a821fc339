// The roll-over script block that image buttons (the error page first of all)
// rely on.
#pragma once

#include "core/text.h"

namespace brevane {

// One line, no line breaks: ZeltoSwapImgRestore, ZeltoPreloadImages,
// ZeltoFindObject and ZeltoSwapImage, sharing state on the page through
// document.mm_sr, document.mm_p and each image's oSrc.
Text CommScriptSwapImage();

}  // namespace brevane
