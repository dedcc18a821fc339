#include "text/encode.h"

#include "core/vbrt.h"
#include "platform/regexp.h"

namespace brevane {

Text replace_rows(Text s, std::initializer_list<ReplaceRow> rows) {
  Text out;
  for (const auto& [find, with] : rows) {
    size_t at = s.find(find);
    if (at == Text::npos) continue;
    out.clear();
    size_t from = 0;
    do {
      out.append(s, from, at - from).append(with);
      from = at + find.size();
      at = s.find(find, from);
    } while (at != Text::npos);
    out.append(s, from, Text::npos);
    s.swap(out);
  }
  return s;
}

namespace {

// Characters CommHtmlEncode rewrites; all are below 64.
constexpr uint64_t kHtmlSpecial =
    (1ull << '<') | (1ull << '>') | (1ull << '\r') | (1ull << '"') | (1ull << '&') | (1ull << ' ') | (1ull << '\t');

inline bool html_special(char16_t c) { return c < 64 && (kHtmlSpecial >> c & 1); }
inline bool blank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

Text CommHtmlEncode(Text p_String) {
  const TextView s = p_String;
  const size_t n = s.size();
  Text out;
  out.reserve(n + n / 8 + 16);
  size_t run = 0;  // start of the pending stretch copied unchanged
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    if (!html_special(c)) continue;
    out.append(s.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      case u'\r':
        out += u"<br>";
        break;
      case u'"':
        out += u"&quot;";
        break;
      case u'&':
        out += u"&amp;";
        break;
      case u'\t':
        out += u"    ";
        break;
      default: {  // space: hard only at either end or beside another blank
        bool hard = i == 0 || i == n - 1 || blank(s[i - 1]) || blank(s[i + 1]);
        out += hard ? TextView(u"&nbsp;") : TextView(u" ");
      }
    }
  }
  out.append(s.data() + run, n - run);
  return out;
}

Text CommHtmlEncode2(Text p_String) {
  return replace_rows(std::move(p_String), {{u">", u"&gt;"},
                                            {u"<", u"&lt;"},
                                            {u" ", u"&nbsp;"},
                                            {u"\t", u"&nbsp;"},
                                            {u"\"", u"&quot;"},
                                            {u"'", u"&#39;"},
                                            {u"\r", u""},
                                            {u"\n\n", u"</P><P> "},
                                            {u"\n", u"<BR> "}});
}

Text CommHtmlUnEncode2(Text p_String) {
  return replace_rows(std::move(p_String), {{u"&gt;", u">"},
                                            {u"&lt;", u"<"},
                                            {u"&nbsp;", u" "},
                                            {u"&quot;", u"\""},
                                            {u"&#39;", u"'"},
                                            {u"</P><P> ", u"\n\n"},
                                            {u"<BR> ", u"\n"}});
}

Text CommNoHtml(Text p_String) {
  // A tag runs from "<" over one character to the last ">" before the next
  // "<"; end tags left over by that are taken out in a second pass.
  static const Regex tag(u"(\\<.[^\\<]*\\>)", RegexFlags{.ignore_case = true});
  static const Regex end_tag(u"(\\<\\/[^\\<]*\\>)", RegexFlags{.ignore_case = true});
  return end_tag.replace(tag.replace(p_String, u" ", true), u" ", true);
}

Text CommEncodeString(Text p_String) {
  if (vb::Trim(p_String).empty()) return {};
  return replace_rows(std::move(p_String),
                      {{u"&", u"&amp;"}, {u"<", u"&lt;"}, {u">", u"&gt;"}, {u"'", u"&#39;"}, {u"\"", u"&quot;"}});
}

Text CommUnEncodeString(Text p_String) {
  Text s = vb::Trim(p_String);
  if (s.empty()) return {};
  return replace_rows(std::move(s),
                      {{u"&lt;", u"<"}, {u"&gt;", u">"}, {u"&#39;", u"'"}, {u"&quot;", u"\""}, {u"&amp;", u"&"}});
}

Text CommEncodeString2(Text p_String) {
  return replace_rows(vb::Trim(p_String), {{u"<", u"&lt;"},
                                           {u">", u"&gt;"},
                                           {u"'", u"\""},
                                           {u"\r\n\r\n", u"</p><p>"},
                                           {u"\r\n", u"<br>"},
                                           {u"  ", u"\u3000"}});
}

Text CommJoinChar(Text p_StrUrl) {
  if (p_StrUrl.empty()) return {};
  const int64_t n = static_cast<int64_t>(p_StrUrl.size());
  const int64_t q = vb::InStr(p_StrUrl, u"?");
  if (q >= n) return p_StrUrl;
  if (q < 2) return p_StrUrl + u"?";
  // Only the first "&" is looked at: a link whose first pair ends it is taken as ready.
  if (vb::InStr(p_StrUrl, u"&") >= n) return p_StrUrl;
  return p_StrUrl + u"&";
}

}  // namespace brevane
