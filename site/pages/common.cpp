#include "site/pages/common.h"

#include "core/codepage.h"
#include "core/registry.h"
#include "frame/host.h"

namespace brevane::site {

using host::Page;

Variant component() { return Variant(create_object(u"Brevane.BrevaneCls")); }

Text html(TextView s) {
  Text out;
  for (char16_t c : s) {
    switch (c) {
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      case u'&':
        out += u"&amp;";
        break;
      case u'"':
        out += u"&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

Text num(int64_t n) { return T(std::to_string(n)); }

void page_start(Page& p, TextView title) {
  ResponseRef r(p.response());
  r.set(u"CharSet", Variant(Text(CodePage::ansi().number() == 65001 ? u"utf-8" : u"gb2312")));
  p.write(u"<!DOCTYPE html><html><head><title>" + Text(title) +
          u"</title><link rel=stylesheet href='/Comm/style.css'></head><body><div class=page><h1>" + Text(title) +
          u"</h1>");
}

void page_end(Page& p) { p.write(u"<p class=back><a href='/index.asp'>返回首页</a></p></div></body></html>"); }

// A piece of the component answers 438 (member not built) or 429 (class not
// registered) until its part lands; the page says so rather than failing.
bool missing_piece(const ScriptError& e) { return e.number() == kNoSuchMember || e.number() == kCannotCreateObject; }

void not_available(Page& p, const ScriptError& e) {
  p.write(u"<p class=note>此演示所需的功能尚未可用 (not available yet): " + html(e.description()) + u"</p>");
}

// The error screen, or a note when the error page is not built yet.
void error_page(Page& p, TextView message) {
  try {
    call(component(), u"CommShowErrorPage", {p.response(), Variant(Text()), Variant(Text()), Variant(message)});
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    p.write(u"<p class=error>对不起，" + html(message) + u"</p>");
    not_available(p, e);
    ResponseRef(p.response()).end();
  }
}

// The alert-and-go-on script; written here when CommShowSuccess is not built.
Text success_script(TextView message, TextView url) {
  try {
    return call(component(), u"CommShowSuccess", {Variant(message), Variant(url)}).to_text();
  } catch (const ScriptError& e) {
    if (!missing_piece(e)) throw;
    return u"<Script>{alert(\"" + Text(message) + u"\");location.href=\"" + Text(url) + u"\";}</Script>";
  }
}

}  // namespace brevane::site
