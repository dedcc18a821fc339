// CommShowTd and CommShowTr: one field of a record as a label cell and a
// value cell, the control chosen by type code and page mode.
#include "core/registry.h"
#include "core/script_error.h"
#include "core/vbrt.h"
#include "frame/host.h"
#include "html/escape.h"
#include "html/fields.h"
#include "html/listpage.h"
#include "text/formatters.h"

namespace brevane {

namespace {

Text number(int64_t n) { return Variant(static_cast<int32_t>(n)).to_text(); }

// Field type codes.
enum FieldType : int16_t {
  kText = 1,
  kDate = 2,
  kDropDown = 3,
  kCheckBox = 4,
  kTextArea = 5,
  kPassword = 6,
  kRadio = 7,
  kDialog = 8,
  kHandler = 9,
  kEditor = 10,
  kPhoto = 11,
  kSubmitFile = 12,
  kMarkup = 20,
  kHiddenText = 21,
};

// Page modes; any other value is a new record.
constexpr int16_t kEdit = 2;
constexpr int16_t kView = 3;

// A stored Null reads as nothing, as it concatenates in a page; a zero date
// reads as the page's script host prints it, the time alone.
Text field_text(const Variant& rs, TextView name) {
  Variant v = RecordsetRef(rs).field(name);
  if (v.is_null()) return {};
  if (v.type() == VarType::Date && v.raw_double() == 0) return u"0:00:00";
  return v.to_text();
}

bool field_true(const Variant& rs, TextView name) {
  Variant v = RecordsetRef(rs).field(name);
  return !v.is_null() && v.to_bool();
}

// What a field shows: a name holding "$" is a literal text, not a column.
Text stored_value(const Variant& rs, TextView field) {
  if (vb::InStr(field, u"$") > 0) return vb::Replace(field, u"$", u"");
  return vb::Trim(field_text(rs, field));
}

// The category names go into a string literal; a quote in one must not end it.
Text sql_quoted(TextView s) { return vb::Replace(s, u"'", u"''"); }

struct Option {
  Text value, caption;
  bool from_database = false;
};

// "value|caption" items joined by "$"; a value alone is its own caption.
std::vector<Option> literal_options(TextView list) {
  std::vector<Option> options;
  for (const Text& item : vb::Split(list, u"$")) {
    std::vector<Text> parts = vb::Split(item, u"|");
    options.push_back({parts[0], parts.size() > 1 ? parts[1] : parts[0]});
  }
  return options;
}

// The 名称 column of a query run through a record set of the component's
// own on the page's connection, closed again whatever happens.
std::vector<Option> database_options(Variant& conn, TextView sql) {
  Variant rs(create_object(u"Adodb.RecordSet"));
  RecordsetRef r(rs);
  std::vector<Option> options;
  r.open(sql, conn, 1, 1);
  try {
    while (!r.eof()) {
      Text name = vb::Trim(field_text(rs, u"名称"));
      options.push_back({name, name, true});
      r.move_next();
    }
  } catch (...) {
    close_quietly(rs);
    throw;
  }
  r.close();
  return options;
}

std::vector<Option> drop_down_options(Variant& conn, TextView field, TextView pop) {
  if (vb::InStr(pop, u"$") > 0) return literal_options(pop);
  if (!pop.empty())
    return database_options(conn, u"Select 名称 From [Sjzd] Where 分类='" + sql_quoted(pop) + u"' Order By 序号 Asc");
  if (field == u"部门名称") return database_options(conn, u"Select 部门名称 As 名称 From [BuMen] Order By 排列顺序");
  if (field == u"Part") return database_options(conn, u"Select Part As 名称 From [Part] Order By [SortId]");
  return database_options(conn, u"Select 名称 From [Sjzd] Where 分类='" + sql_quoted(field) + u"'");
}

std::vector<Option> radio_options(Variant& conn, TextView field, TextView pop) {
  if (vb::InStr(pop, u"$") > 0) return literal_options(pop);
  if (field == u"部门名称") return database_options(conn, u"select 部门名称 as 名称 from bumen order by 排列顺序");
  return database_options(conn, u"select 名称 from sjzd where 分类='" + sql_quoted(field) + u"'");
}

// Stored names are text in any context; the page's own literal lists are
// markup it wrote itself.
Text shown(const Option& o, const Text& s) { return o.from_database ? markup::escape_attr(s) : s; }

struct Td {
  Variant& conn;
  Variant& rs;
  int16_t type;
  int32_t width, height;
  Text name, field, pop;
  int16_t pop_allow, state, allow_edit;
  Text value_colour;

  Text edit_value() const { return stored_value(rs, field); }

  Text text_box() const {
    Text out = u"<input name='" + name + u"' type='text' class='inputtext' style='width:" + number(width) +
               u";'  onkeydown='onKeyDownDefault();' ";
    if (state == kEdit) {
      Text v = edit_value();
      if (type == kDate && v == u"0:00:00") v.clear();
      out += u" value='" + markup::escape_attr(v) + u"'";
    } else if (type == kDate) {
      out += u" value='" + CommPutDate(CommGetDate()) + u"'";
    }
    switch (type) {
      case kText:
        if (field == u"身份证号码")
          out += u" onblur='return isIdCardNo(document.myform.postcard,document.myform.postcard.value," +
                 number(pop_allow) + u",1); ' ";
        else if (pop_allow > 0)
          out += u" title='点击左键会弹出选择菜单' onclick='PopSelectData(document.myform." + name + u",\"" + pop +
                 u"\")' ";
        break;
      case kDate:
        out += u" readonly   title='点击左键会弹出日期选择框' onclick='PopSelectDate(document.myform." + name + u")'";
        break;
      case kDialog: {
        std::vector<Text> parts = vb::Split(pop, u"|");
        if (parts.size() < 3) throw ScriptError(kSubscriptOutOfRange);
        out += u" readonly title='点击左键会弹出选择对话框'  onclick=\"return OpenWindowModalScroll('" + parts[0] +
               u"'," + parts[1] + u"," + parts[2] + u");\"";
        break;
      }
      case kHandler:
        out += u" readonly ";
        if (!vb::Trim(pop).empty()) out += u" onclick=\"" + pop + u"\"";
        break;
      default:
        break;
    }
    return out + u">";
  }

  Text drop_down() const {
    if (vb::InStr(vb::LCase(pop), u"<select") > 0) return vb::Trim(pop);
    const Text current = state == kEdit ? vb::Trim(edit_value()) : Text();
    Text out = u"<select name='" + name + u"' class='inputtext'  style='width:" + number(width) + u"px'>";
    for (const Option& o : drop_down_options(conn, field, pop)) {
      const Text selected = state == kEdit && vb::Trim(o.value) == current ? u" Selected " : u"";
      if (o.from_database)
        out += u"<option value=\"" + markup::escape_attr(o.value) + u"\"" + selected + u">" +
               markup::escape_attr(o.caption);
      else
        out += u"<option value='" + o.value + u"'" + selected + u">" + o.caption + u"</option>";
    }
    return out + u"</select>";
  }

  Text check_box() const {
    Text out =
        u"<input name='" + name + u"' type='checkbox' class='inputtext'  onkeydown='onKeyDownDefault();' value='on'";
    if (state == kEdit && field_true(rs, field)) out += u" Checked ";
    return out + u">";
  }

  Text text_area() const {
    Text out = u"<textarea rows='" + number(height) + u"' name='" + name + u"'  id='" + name +
               u"'  class='inputedit' style='width:" + number(width) + u";'  onkeydown='onKeyDownDefault();' ";
    if (state == kView)
      out += u" Readonly Style='word-wrap: break-word;border:0px;background:" + value_colour + u";' ";
    else if (allow_edit == 0)
      out += u" Readonly Style='background:#eeeeff;' ";
    if (pop_allow == 1) out += u" onclick='popup_select_data(document.myform." + name + u",\"" + pop + u"\")' ";
    out += u">";
    if (state == kEdit || state == kView) out += markup::escape_attr(edit_value());
    return out + u"</textarea>";
  }

  Text radio_group() const {
    const Text current = state == kEdit ? vb::Trim(edit_value()) : Text();
    Text out;
    bool first = true;
    for (const Option& o : radio_options(conn, field, pop)) {
      Text check;
      if (state == kEdit)
        check = vb::Trim(o.value) == current ? u" Checked " : u"";
      else if (first)
        check = u" Checked";
      first = false;
      out += u"<input name='" + name + u"' type='radio' value=\"" + shown(o, o.value) + u"\"" + check + u">" +
             shown(o, o.caption);
    }
    return out;
  }

  Text control() const {
    switch (type) {
      case kText:
      case kDate:
      case kDialog:
      case kHandler:
      case kHiddenText:
        return text_box();
      case kDropDown:
        return drop_down();
      case kCheckBox:
        return check_box();
      case kTextArea:
        return text_area();
      case kPassword:
        return u"<input name='" + name + u"' type='password' class='inputtext' style='width:" + number(width) +
               u";' value=''  onkeydown='onKeyDownDefault();' >";
      case kRadio:
        return radio_group();
      case kEditor:
        return u"<textarea name='" + name + u"' id='" + name +
               u"' style='display:none'></textarea><iframe id='editor' src='" + field +
               u"' frameborder=1 scrolling=no width='" + number(width) + u"' height='" + number(height) +
               u"'></iframe>";
      case kPhoto:
        return u"<input name='" + name + u"' type='text' class='inputtext' Readonly style='width:" +
               number(width - 65) + u";'><input type='file' name='" + name + u"22' id='" + name +
               u"22' style='width:0px;' class='inputtext' onchange=\"document.myform." + name +
               u".value=this.value;document.myform.encoding='multipart/form-data';"
               u"document.myform.PhotoPre.src=document.myform.url.value;\">";
      case kSubmitFile:
        return u"<input type='file' Title='点击选择上传文件' name='" + name + u"22' id='" + name +
               u"22' style='width:0px;' class='inputtext' onchange=\"document.myform.submit();\">";
      default:
        return {};
    }
  }

  // The stored value as text, for view mode and fields that may not be edited.
  Text display() const {
    if (type == kCheckBox) return field_true(rs, field) ? u"√" : u"";
    Text out = type == kHiddenText ? u"<input type='hidden'>" : u"";
    Text v = vb::InStr(field, u"$") > 0 ? vb::Replace(field, u"$", u"") : markup::escape_attr(edit_value());
    if (type == kDate && v == u"0:00:00") v.clear();
    // A password box is never filled in; a view of the record keeps it hidden too.
    if (type == kPassword) v.clear();
    return out + u"<font style='word-wrap: break-word'>" + v + u"</font>";
  }
};

}  // namespace

Text CommShowTd(Variant& Conn, Variant& Rs, int16_t p_Type, int32_t p_Width, int32_t p_Height, int16_t p_ColSpan,
                Text p_Title, Text p_Name, Text p_Field, int16_t p_Pop_Allow, Text p_Pop_Field, int16_t p_State,
                int16_t p_Allow_Edit, Text p_Star, Text p_Title_Bgcolor, Text p_Value_Bgcolor, Text p_TdTitle,
                int16_t p_DivHeight) {
  if (vb::Trim(p_Title).empty()) p_Title = p_Field;
  if (vb::Trim(p_Pop_Field).empty() && p_Type != kDropDown) p_Pop_Field = p_Title;
  if (vb::Trim(p_Name).empty()) p_Name = p_Field;
  if (vb::Trim(p_Title_Bgcolor).empty()) p_Title_Bgcolor = u"#dcdcf9";
  if (vb::Trim(p_Value_Bgcolor).empty()) p_Value_Bgcolor = u"#eeeeff";
  const Text title_key = vb::LCase(p_Title);
  const bool bare = title_key == u"allnull";

  Text out;
  if (title_key != u"null" && !bare) {
    out += u"<td align='right' bgcolor='" + p_Title_Bgcolor + u"' colspan=2>" + p_Title;
    if (vb::InStr(p_Title, u"：") == 0) out += u"：";
    out += u"</td>";
  }
  if (!bare) {
    out += u"<td align='left' bgcolor='" + p_Value_Bgcolor + u"'  colspan=" + number(p_ColSpan);
    if (!vb::Trim(p_TdTitle).empty()) out += u" title='" + p_TdTitle + u"'";
    out += u">";
  }
  if (p_DivHeight < 1) {
    out += u"&nbsp;";
  } else {
    out += u"<div style='padding-left:5px;font-size:9px;line-height:150%;overflow:auto; height:" + number(p_DivHeight) +
           u"px;' valign=top><table width='100%' border='0' cellpadding='0' cellspacing='0' bgcolor='" +
           p_Value_Bgcolor + u"' height=" + number(p_DivHeight - 4) +
           u" style='table-layout: fixed; word-break:break-all' valign=top><tr valign=top><td bgcolor='" +
           p_Value_Bgcolor + u"' valign=top>";
  }

  const Td td{Conn,    Rs,          p_Type,      p_Width, p_Height,     p_Name,
              p_Field, p_Pop_Field, p_Pop_Allow, p_State, p_Allow_Edit, p_Value_Bgcolor};
  if (p_Type == kMarkup) {
    out += vb::Trim(p_Pop_Field);
  } else if (p_Type != kTextArea && (p_State == kView || p_Allow_Edit == 0)) {
    out += td.display();
  } else {
    out += td.control();
    if (!vb::Trim(p_Star).empty()) out += u"&nbsp;<font color=red>" + p_Star + u"</font>";
  }

  if (p_DivHeight > 0) out += u"</td></tr></table></div>";
  if (!bare) out += u"</td>";
  return out;
}

Text CommShowTr(Variant& Conn, Variant& Rs, Text p_TrClass, int16_t p_Type, int32_t p_Width, int32_t p_Height,
                int16_t p_ColSpan, Text p_Title, Text p_Name, Text p_Field, int16_t p_Pop_Allow, Text p_Pop_Field,
                int16_t p_State, int16_t p_Allow_Edit, Text p_Star, Text p_Title_Bgcolor, Text p_Value_Bgcolor,
                Text p_TdTitle, int16_t p_DivHeight) {
  Text out = p_TrClass.empty() ? Text(u"<tr class=tdbg align=center>") : u"<tr " + p_TrClass + u">";
  out += CommShowTd(Conn, Rs, p_Type, p_Width, p_Height, p_ColSpan, p_Title, p_Name, p_Field, p_Pop_Allow, p_Pop_Field,
                    p_State, p_Allow_Edit, p_Star, p_Title_Bgcolor, p_Value_Bgcolor, p_TdTitle, p_DivHeight);
  return out + u"</tr>";
}

}  // namespace brevane
