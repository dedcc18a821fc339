// The one text that names the component on the pages it generates (window
// title of the error page and the other full pages).
#pragma once

namespace brevane {

constexpr char16_t kComponentCaption[] = u"Brevane 网站通用组件";

}  // namespace brevane

// Branding on the page chrome: the product word, the maker, the title line
// the logout prompt names, and the credits of the login and about panels.
namespace brevane {

constexpr char16_t kProductWord[] = u"Brevane";
constexpr char16_t kMakerName[] = u"Brevane 开发组";
constexpr char16_t kProductTitleLine[] = u"Brevane 网站通用组件 版权所有";
constexpr char16_t kCreditsLines[] = u"网站通用组件：上传、校验、文件与页面片段<br>由 Brevane 开发组编写与维护";
// The text CommGetVersion returns; the login panel shows it.
constexpr char16_t kVersionText[] = u"03.05.01";

}  // namespace brevane
