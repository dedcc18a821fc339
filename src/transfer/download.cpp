#include "transfer/download.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/object.h"
#include "core/vbrt.h"
#include "files/fileops.h"
#include "files/paths.h"
#include "frame/errorpage.h"
#include "frame/host.h"
#include "platform/fs.h"

namespace brevane {

namespace {

bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }

Text last_part(TextView path) {
  size_t cut = path.size();
  while (cut > 0 && !is_sep(path[cut - 1])) --cut;
  return Text(path.substr(cut));
}

template <size_t N>
bool listed(const std::u16string_view (&list)[N], TextView ext) {
  return std::find(std::begin(list), std::end(list), ext) != std::end(list);
}

bool refused_extension(TextView ext) {
  return listed(kRefusedDownloadExtensions, ext) || listed(kSiteFileExtensions, ext);
}

// The values go into a single-quoted script string inside a script element:
// only what could end the string, the line or the element is escaped, so
// ordinary names (Chinese included) are written exactly as given.
Text script_quote(TextView s) {
  Text out;
  out.reserve(s.size());
  for (char16_t c : s) {
    switch (c) {
      case u'\\':
        out += u"\\x5c";
        break;
      case u'\'':
        out += u"\\x27";
        break;
      case u'<':
        out += u"\\x3c";
        break;
      case u'\r':
        out += u"\\r";
        break;
      case u'\n':
        out += u"\\n";
        break;
      case u'\u2028':
        out += u"\\u2028";
        break;
      case u'\u2029':
        out += u"\\u2029";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

bool has_member(const Variant& object, TextView name) {
  return object.is_object() && object.object() && object.object()->find_member(name) != kDispIdUnknown;
}

// Run-time errors from here on do not stop a download (the page's
// resume-next): a host that refuses to buffer or clear still gets the file.
template <class F>
void quietly(F&& f) {
  try {
    f();
  } catch (const ScriptError&) {
  }
}

}  // namespace

Text download_extension(TextView name) {
  size_t dot = name.rfind(u'.');
  return vb::LCase(dot == TextView::npos ? name : name.substr(dot + 1));
}

Text effective_file_name(TextView name) {
  Text n(name);
  size_t colon = n.find(u':');
  if (colon != Text::npos) n.resize(colon);
  while (!n.empty() && (n.back() == u'.' || n.back() == u' ')) n.pop_back();
  return n;
}

bool download_refused(TextView name) {
  return refused_extension(download_extension(name)) ||
         refused_extension(download_extension(effective_file_name(name)));
}

std::u16string_view download_content_type(TextView ext) {
  struct Row {
    std::u16string_view ext, type;
  };
  static constexpr Row kTypes[] = {
      {u"asf", u"video/x-ms-asf"},
      {u"avi", u"video/avi"},
      {u"rm", u"application/vnd.rn-realmedia"},
      {u"doc", u"application/vnd.ms-word"},
      {u"zip", u"application/zip"},
      {u"xls", u"application/vnd.ms-excel"},
      {u"gif", u"image/gif"},
      {u"jpg", u"image/jpeg"},
      {u"jpeg", u"image/jpeg"},
      {u"wav", u"audio/wav"},
      {u"mp3", u"audio/mpeg3"},
      {u"mpg", u"video/mpeg"},
      {u"mpeg", u"video/mpeg"},
      {u"rtf", u"application/rtf"},
      {u"htm", u"text/html"},
      {u"html", u"text/html"},
      {u"txt", u"text/plain"},
  };
  for (const Row& r : kTypes)
    if (r.ext == ext) return r.type;
  return u"application/octet-stream";
}

Text download_disposition(TextView name) {
  Text h = u"attachment;  FileName=" + Text(name);
  if (std::all_of(name.begin(), name.end(), [](char16_t c) { return c < 0x80; })) return h;
  // RFC 5987: the UTF-8 bytes, everything but unreserved characters escaped.
  static constexpr char kHex[] = "0123456789ABCDEF";
  h += u"; filename*=UTF-8''";
  for (unsigned char b : to_utf8(name)) {
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~') {
      h.push_back(b);
    } else {
      h.push_back(u'%');
      h.push_back(static_cast<char16_t>(kHex[b >> 4]));
      h.push_back(static_cast<char16_t>(kHex[b & 15]));
    }
  }
  return h;
}

Text view_script(TextView ext, TextView file, TextView title) {
  struct Row {
    std::initializer_list<std::u16string_view> exts;
    std::u16string_view before;  // the call up to the file
    bool with_title;
    std::u16string_view after;  // from the closing quote on
  };
  static const Row kRows[] = {
      {{u"doc", u"txt", u"ppt", u"xls", u"pdf", u"chm", u"mht"}, u"OpenWindow('", false, u"','Show',800,600);"},
      {{u"mp3", u"wav"}, u"OpenWindow('../comm/zelto_FileView.asp?FileType=Wav&Url=", true, u"','ShowMp3',305,142);"},
      {{u"rm", u"avi", u"rmvb", u"ram", u"mpg", u"mpeg"},
       u"OpenWindow('../comm/zelto_FileView.asp?FileType=Movie&RunSystem=rtsp&Url=",
       true,
       u"','ShowAvi',500,501);"},
      {{u"wmv", u"asf", u"wma"},
       u"OpenWindow('../comm/zelto_FileView.asp?FileType=Movie&RunSystem=mms&Url=",
       true,
       u"','ShowAvi',500,501);"},
      {{u"swf"},
       u"OpenWindowResize('../comm/zelto_FileView.asp?FileType=Flash&PlayTypePlayType=FullScreen&Url=",
       true,
       u"',700,540);"},
      {{u"gif", u"jpg", u"jpeg", u"bmp", u"png", u"wmf", u"tif", u"tiff", u"pct", u"pict",
        u"pxr", u"raw", u"sct",  u"tga", u"vda", u"icb", u"vst", u"rle",  u"dib", u"pcx"},
       u"OpenWindowResize('../comm/zelto_FileView.asp?FileType=Image&Url=",
       true,
       u"',700,540);"},
  };
  for (const Row& r : kRows) {
    if (std::find(r.exts.begin(), r.exts.end(), ext) == r.exts.end()) continue;
    Text s = u"<script language='javascript'>" + Text(r.before) + script_quote(file);
    if (r.with_title) s += u"&Title=" + script_quote(title);
    s += r.after;
    s += u"setTimeout('parent.window.close();',0);</script>";
    return s;
  }
  return Text();
}

void CommFileDownload(Variant& Response, Variant& Server, Text p_FileFullName, bool p_CloseParent) {
  Text path = p_FileFullName;
  if (path.find(u':') == Text::npos) path = ServerRef(Server).map_path(path);
  ResponseRef out(Response);
  quietly([&] { out.set(u"Buffer", Variant(true)); });
  quietly([&] { out.clear(); });
  auto fail = [&](TextView message) {
    show_error_page(Response, Variant(Text()), Variant(Text()), message, p_CloseParent);
  };

  std::optional<fs::Entry> entry = fs::stat(path);
  if (!entry || entry->is_folder()) return fail(u"文件不存在！");
  // A script is refused under any spelling that reaches it: the name as
  // given and as stored (trailing dots, spaces or a stream suffix dropped, as
  // Windows opens it), and the name a symbolic link finally points at.
  std::optional<Text> target = fs::resolved_name(path);
  if (download_refused(last_part(path)) || download_refused(entry->name) || (target && download_refused(*target)))
    return fail(u"不允许该类文件下载！");
  Text type(download_content_type(download_extension(entry->name)));

  auto reader = std::make_unique<fs::FileReader>();
  if (!reader->open(path)) return fail(u"未知错误！");
  uint64_t size = reader->size();

  quietly([&] { out.add_header(u"Content-Disposition", download_disposition(entry->name)); });
  quietly([&] { out.add_header(u"Content-Length", from_utf8(std::to_string(size))); });
  quietly([&] { out.add_header(u"X-Content-Type-Options", u"nosniff"); });
  quietly([&] { out.set(u"CharSet", Variant(u"UTF-8")); });
  quietly([&] { out.set(u"ContentType", Variant(type)); });

  if (has_member(Response, u"TransmitFile")) {
    // The host streams the file itself (and answers byte ranges).
    reader.reset();
    call(Response, u"TransmitFile", {Variant(path)});
  } else {
    bool ask_connected = has_member(Response, u"IsClientConnected");
    std::vector<uint8_t> piece(static_cast<size_t>(std::min<uint64_t>(size, kDownloadPiece)));
    for (uint64_t sent = 0; sent < size;) {
      int64_t n = reader->read(piece.data(), piece.size());
      if (n <= 0) break;  // the headers are out: a cut-short body is all that can tell the browser
      out.binary_write(Variant(Bytes(piece.begin(), piece.begin() + n)));
      out.flush();
      sent += static_cast<uint64_t>(n);
      if (ask_connected) {
        bool gone = false;
        quietly([&] { gone = !get(Response, u"IsClientConnected").to_bool(); });
        if (gone) break;
      }
    }
  }
  out.end();
}

void CommFileView(Variant& Server, Variant& Response, Variant& /*Request*/, Text p_CurrentFile, Text p_Act,
                  Text p_FileTitle) {
  ResponseRef out(Response);
  if (!CommFolderExist(ServerRef(Server).map_path(p_CurrentFile))) {
    out.write(u"<Script language='javascript'>");
    out.write(u"alert('文件不存在!');");
    out.write(u"window.close();");
    out.write(u"</Script>");
    out.end();
    return;
  }
  Text ext = CommFileGetExt(p_CurrentFile, 0);
  if (p_FileTitle.empty()) p_FileTitle = CommFileGetFullName(p_CurrentFile);
  if (p_Act == u"DownLoad") {
    CommFileDownload(Response, Server, p_CurrentFile, false);
    return;
  }
  if (p_Act == u"View") {
    Text script = view_script(ext, p_CurrentFile, p_FileTitle);
    if (!script.empty()) {
      out.write(script);
      return;
    }
  }
  out.redirect(p_CurrentFile);
}

}  // namespace brevane
