#include "html/footer.h"

#include "core/registry.h"
#include "frame/errorpage.h"

namespace brevane {

namespace {

constexpr char16_t kProductName[] = u"Brevane";
constexpr char16_t kCopyrightShort[] = u"Copyright &copy; Brevane";
constexpr char16_t kCopyrightLong[] = u"Copyright &copy; 2026 Brevane 版权所有 程序设计：Brevane 开发组";

}  // namespace

Text CommShowCopyRight(Variant& Conn, Variant& Rs, int16_t p_ShowType, Variant& p_ShowLine) {
  CommCloseData(Rs, Conn);
  // Computed wide: a large type is a tall row, not an overflow.
  int32_t height = int32_t{p_ShowType} * 50;
  Text out = u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=" + T(std::to_string(height)) +
             u"><td align=center>" + kProductName;
  if (p_ShowLine.value().to_double() == 1) out += u"<br><br>";
  out += p_ShowType == 1 ? kCopyrightShort : kCopyrightLong;
  out += u"</td></tr></table>";
  return out;
}

Text CommShowFormUpDate() {
  // The version is the component's own; asked by name, as a page would.
  Text version = call(Variant(create_object(u"Brevane.BrevaneCls")), u"CommGetVersion").to_text();
  return u"<table cellspacing=0 cellpadding=6 border=0 width='100%' class=update>"
         u"<tr><td><b>" +
         Text(kProductName) + u" 组件升级</b></td></tr>" + u"<tr><td>当前安装的版本：<span class=version>" + version +
         u"</span></td></tr>"
         u"<tr><td>本组件不会自动联网检查或下载升级。新版本随软件包（Linux 上的 brevane 程序）"
         u"或 brevane.dll 的发布提供：由服务器管理员安装新的软件包，或注册新的 brevane.dll 后重新启动网站。"
         u"</td></tr></table>";
}

}  // namespace brevane
