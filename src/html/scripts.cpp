#include "html/scripts.h"

#include <initializer_list>

#include "core/vbrt.h"
#include "frame/host.h"
#include "html/escape.h"

namespace brevane {

namespace {

using vb::LCase;
using vb::Trim;

#include "html/scripts_blocks.inc"

Text block(std::initializer_list<TextView> parts) {
  Text out = kOpen;
  for (TextView p : parts) out += p;
  out += kClose;
  return out;
}

bool is_number(TextView s) {
  size_t i = 0, digits = 0;
  while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') ++i, ++digits;
  if (i < s.size() && s[i] == u'.') {
    ++i;
    size_t frac = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') ++i, ++frac;
    if (frac == 0) return false;
  }
  return digits > 0 && i == s.size();
}

// One rule of the check list: "field|empty message|limit|limit message".
Text check_rule(TextView rule) {
  std::vector<Text> part = split_at(Text(rule) + u"||||", u'|');
  Text name = Trim(part[0]);
  if (name.empty()) return {};  // a stray "$" names no field
  Text lname = LCase(name), limit = Trim(part[2]);
  Text field = lname.substr(0, 6) == u"editor" ? Text(u"content") : name;
  Text name_js = u"\"" + js_string_escape(name) + u"\"", field_js = u"\"" + js_string_escape(field) + u"\"";
  Text focus = u"zeltoFocusField(f," + name_js + u"," + field_js + u");return false;}\n";
  Text js;
  if (lname == u"editor") js += u"zeltoEditorToContent(f);\n";
  js += u"o=f[" + field_js + u"];\n";
  js += u"if(zeltoFormEmpty(o)){alert(\"" + js_string_escape(part[1]) + u"\");" + focus;
  if (limit.empty()) return js;
  js += is_number(limit) ? u"if(o&&String(o.value).length>" + limit + u")"
                         : u"if(o&&o.value!=(f[\"" + js_string_escape(limit) + u"\"]||{}).value)";
  js += u"{alert(\"" + js_string_escape(part[3]) + u"\");" + focus;
  return js;
}

}  // namespace

Text js_string_escape(TextView value) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  Text out;
  out.reserve(value.size() + value.size() / 8);
  for (char16_t c : value) {
    switch (c) {
      case u'\\':
        out += u"\\\\";
        continue;
      case u'\n':
        out += u"\\n";
        continue;
      case u'\r':
        out += u"\\r";
        continue;
      case u'\t':
        out += u"\\t";
        continue;
      default:
        break;
    }
    // Hex escapes rather than \" or \': they mean the same to the script and
    // contain nothing an HTML attribute or the end-tag scan would react to.
    if (c < 0x20 || c == u'"' || c == u'\'' || c == u'<' || c == u'>' || c == u'&' || c == 0x7F) {
      out += u"\\x";
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else if (c == 0x2028 || c == 0x2029) {
      out += c == 0x2028 ? u"\\u2028" : u"\\u2029";
    } else {
      out += c;
    }
  }
  return out;
}

Text CommScriptNoInFrame() { return block({kNoInFrame}); }
Text CommScriptNoInTop() { return block({kNoInTop}); }
Text CommScriptImage() { return block({kCommon, kImage}); }

Text CommScriptMouse(Variant& Request) {
  if (LCase(Trim(RequestRef(Request).query_string(u"excel"))) == u"yes") return {};
  return block({kCommon, kMouse});
}

Text CommScriptListMenu() { return block({kCommon, kListMenu}); }
Text CommScriptListMenuMove() { return block({kCommon, kListMenuMove}); }

Text CommScriptCheckForm(Text p_CheckList) {
  Text js = u"function checkform(){var f=document.myform,o;if(!f)return true;\n";
  if (!p_CheckList.empty()) {
    for (const Text& rule : split_at(p_CheckList, u'$')) js += check_rule(rule);
  }
  js += u"return true;}\n";
  return block({kCommon, kCheckFormHelpers, js});
}

Text CommScriptCheck() { return block({kCheck}); }
Text CommScriptCheckPostCard() { return block({kPostCard}); }
Text CommScriptOpenWindow() { return block({kCommon, kDialog, kOpenWindow}); }
Text CommScriptPopWindow() { return kPopupClassInclude + block({kCommon, kPopupFallback, kPopWindow}); }
Text CommScriptPopSelect() { return block({kCommon, kDialog, kPopSelect}); }

Text CommScriptShowDateAndTime(Text p_OtherShow) {
  // The caller's text is script by design: it runs on every tick.
  return block({kCommon, kClockHead, p_OtherShow, kClockTail});
}

Text CommScriptShowProcessBar() { return block({kCommon, kProcessBar}); }
Text CommAjaxGet() { return block({kCommon, kAjax}); }
Text CommAjaxPost() { return block({kCommon, kAjax}); }
Variant CommScriptShowToolTipText() { return Variant(block({kCommon, kToolTip})); }
Variant CommScriptShowCalendar() { return Variant(block({kCommon, kDialog, kCalendar})); }
Text CommScriptScrollWindow() { return block({kCommon, kScrollWindow}); }

Text CommScriptScrollWindowFollow(Variant p_Left) {
  // Written into a style rule: only what a CSS length can hold gets through.
  Text given = p_Left.is_null() || p_Left.is_empty() ? Text() : Trim(p_Left.to_text()), left;
  for (char16_t c : given) {
    if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'.' || c == u'%' ||
        c == u'-')
      left += c;
  }
  if (left.empty()) left = u"0";
  if (is_number(left) || (left[0] == u'-' && is_number(TextView(left).substr(1)))) left += u"px";
  Text js =
      u"(function(){var s='<style type=\"text/css\">#master{LEFT:" + js_string_escape(left) +
      u";POSITION:absolute;TOP:10px;z-index:999}</style><div id=\"master\"><a href=\"#\" "
      u"onclick=\"window.scrollTo(0,0);return false;\"><img src=\"../comm/image/zelto_gotop.asp\" border=\"0\" "
      u"alt=\"回到顶部\"></a></div>';\nif(document.readyState=='loading'){document.write(s);}else{var "
      u"t=document.createElement('div');t.innerHTML=s;while(t.firstChild)document.body.appendChild(t.firstChild);}"
      u"})();\n";
  return block({kCommon, js, kScrollFollow});
}

Text CommShowScrollWindowTitle(Text p_FontColor) {
  return u"&nbsp;&nbsp;&nbsp;&nbsp;<font color='" + markup::escape_attr(p_FontColor) +
         u"'>（双击自动向上滚动，单击停止，点击<img src='../comm/image/zelto_gotop.asp' border=0 "
         u"align=absmiddle>回至顶部）</font>";
}

Text popup_menu_script() { return block({kCommon, kPopMenu}); }
Text dropdown_menu_script() { return block({kCommon, kDropDownMenu}); }

}  // namespace brevane
