#include "html/listpage.h"

#include <array>
#include <cmath>
#include <string>

#include "core/codepage.h"
#include "core/vbrt.h"
#include "frame/host.h"
#include "html/escape.h"

namespace brevane {

namespace {

constexpr char16_t kKeywordPrompt[] = u"关键字搜索";

// The list filter carried from page to page, in link order.
constexpr std::array<TextView, 11> kCarriedKeys = {u"id",   u"classid", u"nclassid", u"sclassid", u"grade", u"subject",
                                                   u"type", u"moden",   u"search",   u"keyword",  u"part"};

// The hidden fields of the paging form, in their own order. The class keys
// hold numbers and go unquoted; the names are padded so the values line up.
struct HiddenField {
  TextView key;
  TextView opening;
  bool quoted;
};
constexpr std::array<HiddenField, 11> kHiddenFields = {{
    {u"classid", u"<input type='hidden' name='classid'  value=", false},
    {u"nclassid", u"<input type='hidden' name='nclassid' value=", false},
    {u"sclassid", u"<input type='hidden' name='sclassid' value=", false},
    {u"moden", u"<input type='hidden' name='moden'    value='", true},
    {u"search", u"<input type='hidden' name='search'   value='", true},
    {u"keyword", u"<input type='hidden' name='keyword'  value='", true},
    {u"id", u"<input type='hidden' name='id'       value='", true},
    {u"type", u"<input type='hidden' name='type'     value='", true},
    {u"subject", u"<input type='hidden' name='subject'  value='", true},
    {u"grade", u"<input type='hidden' name='grade'    value='", true},
    {u"part", u"<input type='hidden' name='part'     value='", true},
}};

Text num(int64_t n) { return T(std::to_string(n)); }

bool is_alnum_ascii(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Request(key) as text; absent keys and Null read as "".
Text request_text(const Variant& request, TextView key) {
  Variant v = RequestRef(request).item(key).value();
  if (v.is_empty() || v.is_null()) return Text();
  return v.to_text();
}

// A value that may stand unquoted in an attribute as it is. Anything else
// is quoted and escaped, so a blank or ">" in a class key cannot add
// attributes or end the tag.
Text unquoted_attribute(TextView value) {
  bool plain = true;  // empty too: "value=>" is an empty value to every browser
  for (char16_t c : value)
    if (!is_alnum_ascii(c) && c != u'-' && c != u'_' && c != u'.' && c != u',') plain = false;
  if (plain) return Text(value);
  return u"'" + markup::escape_attr(value) + u"'";
}

// SQL Server style quoting that the bracket and the string literal cannot
// leave.
Text sql_string_body(TextView s) { return vb::Replace(s, u"'", u"''"); }
Text sql_bracket_body(TextView s) { return vb::Replace(s, u"]", u"]]"); }

}  // namespace

Text url_escape(TextView s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Text out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    char16_t c = s[i];
    if (is_alnum_ascii(c)) {
      out += c;
      ++i;
      continue;
    }
    if (c == u' ') {
      out += u'+';
      ++i;
      continue;
    }
    // One character at a time, a surrogate pair as one.
    size_t n = (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) ? 2 : 1;
    for (unsigned char b : CodePage::ansi().encode(s.substr(i, n))) {
      out += u'%';
      out += static_cast<char16_t>(kHex[b >> 4]);
      out += static_cast<char16_t>(kHex[b & 15]);
    }
    i += n;
  }
  return out;
}

Text CommShowColorLine(int16_t p_Width, int16_t p_Height, Text p_Color) {
  return u"<table cellspacing=0 cellpadding=0 width=" + num(p_Width) + u" border=0><tr><td nowrap bgcolor=" + p_Color +
         u" height=" + num(p_Height) + u"></td></tr></table>";
}

Text CommShowEmptyLine(int16_t p_Height) { return CommShowEmptyLine(p_Height, u""); }

Text CommShowEmptyLine(int16_t p_Height, TextView p_Color) {
  Text h = u"<table cellspacing=0 cellpadding=0 border=0 width='100%'";
  if (!p_Color.empty()) h += u" bgcolor='" + Text(p_Color) + u"'";
  h += u"><tr height=" + num(p_Height) + u"><td></td></tr></table>";
  return h;
}

Text CommShowSpace(int16_t p_SpaceNumber) {
  Text h;
  for (int i = 0; i < p_SpaceNumber; ++i) h += u"&nbsp;";
  return h;
}

Text CommShowSearchLeft(Text p_FormType, Text p_Width) {
  Text type = vb::LCase(p_FormType);
  if (p_Width.empty()) p_Width = u"100%";
  Text h = u"<table class=content_border cellpadding=0 cellspacing=1 border=0 width='" + p_Width +
           u"' align=center><tr align=center><td class=searchbg>";
  if (type == u"form")
    h += u"<form method='post' name='sele' action='?'>";
  else if (!type.empty())
    h += u"<form method='post' name='" + type + u"' action='?'>";
  return h;
}

Text CommShowSearchRight(Text p_FormType) {
  return vb::LCase(p_FormType) == u"form" ? u"</td></form></tr></table>" : u"</td></tr></table>";
}

Text CommShowNoRecord(Variant p_ColspanNumber, bool p_IsExcel, Variant p_NoRecordMessage) {
  auto text_of = [](const Variant& v) { return v.is_null() ? Text() : v.to_text(); };
  Text h = u"<tr ";
  if (!p_IsExcel) h += u" Class=tdbg";
  h += u"><td ColSpan=" + text_of(p_ColspanNumber) + u" Height=30 Align=Center><Font Color=Red>" +
       text_of(p_NoRecordMessage) + u"</Font></td></tr>";
  return h;
}

int32_t requested_page(const Variant& request, int32_t page_count) {
  Text raw = request_text(request, u"Page");
  // Clamped while still a double, so 1e300 is the last page, not an overflow.
  double page = 1;
  if (!raw.empty() && vb::IsNumericText(raw)) page = std::floor(Variant(raw).to_double());
  if (!(page >= 1)) page = 1;
  if (page > page_count) page = page_count;
  return static_cast<int32_t>(page);
}

void CommShowNoPage(Variant& Request, Variant& Rs) {
  RecordsetRef rs(Rs);
  int32_t count = rs.page_count();
  int32_t page = requested_page(Request, count);
  if (count > 0) rs.set_absolute_page(page);
}

Text CommShowPage(Variant& Request, Variant& Rs) {
  RecordsetRef rs(Rs);
  Text carried;
  for (TextView key : kCarriedKeys) carried += u"&" + Text(key) + u"=" + url_escape(request_text(Request, key));
  int32_t count = rs.page_count();
  int32_t page = requested_page(Request, count);
  auto link = [&](int32_t target, TextView label) {
    return u"[<a href=\"?page=" + num(target) + carried + u"\">" + Text(label) + u"</a>] ";
  };

  Text h = CommShowEmptyLine(2);
  h += CommShowSearchLeft(u"", u"");
  h += u"<form method=post name='page' action='?'>";
  h += u" [总数<b>" + num(rs.record_count()) + u"</b>] [共<b>" + num(count) + u"</b>页] [第" + num(page) + u"页] [" +
       call(Rs, u"PageSize").to_text() + u"部/页] ";
  if (page > 1)
    h += link(1, u"首 页") + link(page - 1, u"上一页");
  else
    h += u"[首 页] [上一页] ";
  if (count - page < 1)
    h += u"[下一页] [尾 页] ";
  else
    h += link(page + 1, u"下一页") + link(count, u"尾 页");
  h += u"<input type='text' name='page' size=2 maxlength=10  class=content_border value=" + num(page) + u">&nbsp;";
  h += u"<input type='submit' name='submit'  class=content_border  value='Goto' size=2>";
  for (const HiddenField& f : kHiddenFields) {
    Text value = request_text(Request, f.key);
    h += f.opening;
    h += f.quoted ? markup::escape_attr(value) + u"'>" : unquoted_attribute(value) + u">";
  }
  h += CommShowSearchRight(u"form");
  h += CommShowEmptyLine(2);
  return h;
}

Text CommShowSelect(Variant& Request, int16_t p_ShowTitleType, Text p_TitleList) {
  Text chosen = request_text(Request, u"moden");
  Text h = u"<select name='moden' class='inputselect'>";
  switch (p_ShowTitleType) {
    case 0:
      h += u"<option value=''>-=请选择查询项目(并排序)=-</option>";
      break;
    case 1:
      h += u"<option value=''>-=请选择查询项目=-</option>";
      break;
    case 2:
      h += u"<option value=''>-=请选择排序项目=-</option>";
      break;
    default:
      break;
  }
  if (!p_TitleList.empty()) {
    for (const Text& entry : vb::Split(p_TitleList, u"||")) {
      std::vector<Text> parts = vb::Split(entry, u"|");
      if (parts.size() < 2) throw ScriptError(kSubscriptOutOfRange);
      h += u"<option  value='" + markup::escape_attr(parts[0]) + u"' ";
      if (parts[0] == chosen) h += u" selected ";
      h += u">" + parts[1] + u"</option>";
    }
  }
  h += u"</select>&nbsp;  关键字：";
  h += u"<input type='text' name='keyword' size='10' maxlength='12' value='" +
       markup::escape_attr(request_text(Request, u"keyword")) + u"'>";
  return h;
}

Text CommGetOrderString(Variant& Request, Text p_SortDefault, Text p_SortFieldList, Text p_SortDescFieldList,
                        Text p_SearchKeyword, Text p_TableName) {
  Text field = p_SortFieldList.empty() ? vb::LCase(request_text(Request, u"moden")) : p_SortFieldList;
  Text descending = vb::Replace(p_SortDescFieldList + u"|dateandtime|id|", u"||", u"|");
  Text keyword = p_SearchKeyword.empty() ? request_text(Request, u"keyword") : p_SearchKeyword;
  if (keyword == kKeywordPrompt) keyword.clear();
  if (field.empty()) return u" Order By " + (p_SortDefault.empty() ? Text(u"ID Desc") : p_SortDefault);

  Text quoted = u"[" + sql_bracket_body(field) + u"]";
  if (!p_TableName.empty()) quoted = u"[" + sql_bracket_body(p_TableName) + u"]." + quoted;
  Text h = u" And " + quoted + u" Like '%" + sql_string_body(keyword) + u"%'  ";
  // Long text columns cannot be sorted on; the key keeps the entry order.
  Text order = quoted.find(u"[content]") != Text::npos ? vb::Replace(quoted, u"content", u"id") : quoted;
  h += u" Order By " + order;
  if (descending.find(u"|" + field + u"|") != Text::npos) h += u" Desc";
  return h;
}

}  // namespace brevane
