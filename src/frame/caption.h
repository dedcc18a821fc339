// The one text that names the component on the pages it generates (window
// title of the error page and the other full pages).
#pragma once

namespace brevane {

constexpr char16_t kComponentCaption[] = u"Brevane 网站通用组件";

}  // namespace brevane
