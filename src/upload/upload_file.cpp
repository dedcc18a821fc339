#include "upload/upload_file.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "core/declared.h"
#include "core/vbdate.h"
#include "core/vbrt.h"
#include "frame/host.h"
#include "frame/page_context.h"
#include "upload/body_intake.h"
#include "upload/boundary_index.h"
#include "upload/bytesearch.h"
#include "upload/multipart.h"
#include "upload/upload_support.h"

namespace brevane {

namespace {

thread_local std::shared_ptr<UploadStream> t_shared_stream;

// BinaryRead piece: large enough that the calls, their byte arrays and the
// writes to the spill file cost little per byte, small enough that a piece
// is still in the core's own cache when it is searched and written.
constexpr int32_t kChunk = 256 * 1024;
// Large parts are searched window by window so that the pages of a mapped
// body already passed can be dropped from memory.
constexpr size_t kScanWindow = 32u << 20;
constexpr size_t kFirstWindow = 64u << 10;
constexpr size_t kMaxPartHeaderBytes = 16u << 10;

// Run-time errors for bodies that are not well-formed multipart data.
[[noreturn]] void malformed(const char16_t* what) {
  throw ScriptError(kInvalidCall, Text(u"上传数据格式错误：") + what);
}

const std::pair<const char16_t*, const char16_t*> kExePresets[] = {
    {u"all", u"rar|gif|jpg|bmp|swf|mid|mp3|rar|zip|pdf|doc|txt|ppt|xls|wmv|wma|asf|avi|mpg|mpeg|ram|rm|ra"},
    {u"doc", u"doc|xls|ppt|txt|rtf"},
    {u"pic", u"jpg|gif|bmp|png"},
    {u"flash", u"swf"},
    {u"audio", u"wav|wma|mid|mp3"},
    {u"video", u"wmv|asf|avi|mpg|wma|ram|rm|rmvb|ra|mp3|wav|mid|flv|mp4"},
    {u"wmv", u"wmv|asf|avi|mpg|wma"},
    {u"rm", u"ram|rm|rmvb|ra|mp3"},
    {u"zip", u"rar|zip"},
};

// Trim without a copy: spaces only, as the script runtime trims.
TextView trim_view(TextView s) {
  size_t a = s.find_first_not_of(u' ');
  if (a == TextView::npos) return {};
  return s.substr(a, s.find_last_not_of(u' ') - a + 1);
}

// A Variant holding a whole number in [0, limit], or nothing.
bool whole_number(const Variant& v, uint64_t& out) {
  std::optional<double> d = v.try_to_double();
  if (!d || !(*d >= 0) || *d > 9.0e15 || std::floor(*d) != *d) return false;
  out = static_cast<uint64_t>(*d);
  return true;
}

double elapsed_ms(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

const HandlerTable& ex_table() {
  using C = UploadFileEx;
  namespace D = decl::Zelto_Class_UploadFileEx;
  static const HandlerTable t(declared_class(u"Zelto_Class_UploadFileEx"),
                              {{bind<D::let_Extend, &C::let_Extend>(),
                                bind<D::get_Extend, &C::get_Extend>(),
                                bind<D::get_IsFile, &C::get_IsFile>(),
                                bind<D::let_Path, &C::let_Path>(),
                                bind<D::get_Path, &C::get_Path>(),
                                bind<D::get_Exception, &C::get_Exception>(),
                                bind<D::let_Value, &C::let_Value>(),
                                bind<D::get_Value, &C::get_Value>(),
                                bind<D::let_Size, &C::let_Size>(),
                                bind<D::get_Size, &C::get_Size>(),
                                bind<D::let_Position, &C::let_Position>(),
                                bind<D::get_Position, &C::get_Position>(),
                                bind<D::let_ContentType, &C::let_ContentType>(),
                                bind<D::get_ContentType, &C::get_ContentType>(),
                                bind<D::let_UserSetName, &C::let_UserSetName>(),
                                bind<D::get_UserSetName, &C::get_UserSetName>(),
                                bind<D::let_FileName, &C::let_FileName>(),
                                bind<D::get_FileName, &C::get_FileName>(),
                                bind<D::let_LocalName, &C::let_LocalName>(),
                                bind<D::get_LocalName, &C::get_LocalName>(),
                                bind<D::let_NewName, &C::let_NewName>(),
                                bind<D::get_NewName, &C::get_NewName>(),
                                bind<D::let_FormName, &C::let_FormName>(),
                                bind<D::get_FormName, &C::get_FormName>(),
                                bind<D::SavetoFile, &C::SavetoFile>(),
                                bind<D::GetBytes, &C::GetBytes>()}});
  return t;
}

Variant empty_is_file() { return Variant(false); }

const HandlerTable& empty_table() {
  namespace D = decl::Zelto_Class_UploadFileEmpty;
  static const HandlerTable t(declared_class(u"Zelto_Class_UploadFileEmpty"),
                              {{bind<D::get_IsFile, &empty_is_file>()}});
  return t;
}

const HandlerTable& parser_table() {
  using C = UploadFile;
  namespace D = decl::Zelto_Class_UploadFile;
  static const HandlerTable t(declared_class(u"Zelto_Class_UploadFile"),
                              {{bind<D::let_Mode, &C::set_Mode>(),
                                bind<D::let_MaxSize, &C::set_MaxSize>(),
                                bind<D::get_MaxSize, &C::get_MaxSize>(),
                                bind<D::let_SingleSize, &C::set_SingleSize>(),
                                bind<D::get_SingleSize, &C::get_SingleSize>(),
                                bind<D::let_Exe, &C::set_Exe>(),
                                bind<D::get_Exe, &C::get_Exe>(),
                                bind<D::let_CharSet, &C::set_CharSet>(),
                                bind<D::get_ErrorID, &C::get_ErrorID>(),
                                bind<D::get_FileCount, &C::get_FileCount>(),
                                bind<D::get_Description, &C::get_Description>(),
                                bind<D::get_Version, &C::get_Version>(),
                                bind<D::get_TotalSize, &C::get_TotalSize>(),
                                bind<D::get_LostTime, &C::get_LostTime>(),
                                bind<D::GetData, &C::GetData>(),
                                bind<D::GetSize, &C::GetSize>(),
                                bind<D::Forms, &C::Forms>(),
                                bind<D::Files, &C::Files>(),
                                bind<D::Files_Muti, &C::Files_Muti>(),
                                bind<D::QuickSave, &C::QuickSave>()}});
  return t;
}

}  // namespace

std::shared_ptr<UploadStream> shared_upload_stream() { return t_shared_stream; }

namespace {

// The client's path cut to its last name: "\" stands for "/" too, NUL
// characters are dropped.
Text client_file_name(Text client) {
  std::replace(client.begin(), client.end(), u'/', u'\\');
  std::erase(client, u'\0');
  size_t slash = client.rfind(u'\\');
  return slash == Text::npos ? std::move(client) : client.substr(slash + 1);
}

TextView extension_of(const Text& file_name) {
  size_t dot = file_name.rfind(u'.');
  return dot == Text::npos ? TextView() : TextView(file_name).substr(dot + 1);
}

Text date_digits(const DateParts& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
  return T(buf);
}

// Right("0000" & CInt(Rnd * 10000), 4): CInt rounds half to even, and 10000
// comes out as "0000".
void append_random_digits(Text& out) {
  int r = static_cast<int>(std::nearbyint(vb::Rnd() * 10000)) % 10000;
  char16_t d[4];
  for (int i = 3; i >= 0; --i, r /= 10) d[i] = static_cast<char16_t>(u'0' + r % 10);
  out.append(d, 4);
}

}  // namespace

Text new_time_name() {
  vb::Randomize();
  Text name = date_digits(local_now());
  append_random_digits(name);
  return name;
}

// ---- items ----

namespace {
// One empty text for every item's FormName until it is set.
const Variant& empty_text() {
  static const Variant v{Text()};
  return v;
}
}  // namespace

UploadFileEx::UploadFileEx() : DeclaredObject(ex_table()), FormName(empty_text()) {}

UploadFileEmpty::UploadFileEmpty() : DeclaredObject(empty_table()) {}

std::shared_ptr<UploadStream> UploadFileEx::reach_stream() const {
  return bound_to_parser ? stream.lock() : shared_upload_stream();
}

Variant UploadFileEx::SavetoFile(Variant& server, Variant path, Variant option, Variant overwrite) {
  auto fail = [this](Text why) {
    Exception = Variant(std::move(why));
    return Variant(false);
  };
  Text folder;
  try {
    Text p = path.to_text();
    folder = vb::InStr(p, u":") != 2 ? ServerRef(server).map_path(p) : p;
  } catch (const ScriptError& e) {
    // Without a folder there is no safe place to write to.
    return fail(e.description());
  }
  folder = vb::Replace(folder, u"/", u"\\");
  if (!folder.ends_with(u'\\')) folder += u'\\';
  Text error;
  if (!upload::create_folders(folder)) error = u"无法创建文件夹 " + folder;
  Path = Variant(folder);

  Text name;
  {
    // A value that does not convert falls back to the generated name.
    std::optional<double> opt = option.try_to_double();
    std::optional<Text> chosen;
    if (opt == 1) {
      chosen = LocalName.try_to_text();
    } else if (opt == -1) {
      std::optional<Text> user = UserSetName.try_to_text();
      if (user && !user->empty()) {
        if (std::optional<Text> ext = Extend.try_to_text()) chosen = *user + u"." + *ext;
      } else if (user) {
        chosen = NewName.try_to_text();
      }
    } else if (opt) {
      chosen = NewName.try_to_text();
    }
    name = chosen ? std::move(*chosen) : NewName.try_to_text().value_or(Text());
  }
  FileName = Variant(name);

  // Only the Boolean true (-1) replaces a file; 1 and anything else keep it.
  bool replace = overwrite.try_to_double() == -1;

  std::shared_ptr<UploadStream> s = reach_stream();
  if (!s || !s->open) return fail(error_text(ErrorCode::StreamClosed));
  uint64_t offset = 0, size = 0;
  if (!whole_number(Position, offset) || !whole_number(Size, size))
    return fail(error_text(ErrorCode::StreamBadArguments));

  Text ext = Extend.is_null() ? Text() : Extend.to_text();
  size_t dot = name.find(u'.');
  Text stem = name.substr(0, dot);
  Text tail = dot != Text::npos || !ext.empty() ? u"." + ext : Text();
  bool taken = false;
  for (int64_t n = 0;;) {
    if (!replace && (taken || upload::path_exists(folder + name))) {
      name = stem + u"(" + T(std::to_string(n++)) + u")" + tail;
      taken = false;
      continue;
    }
    FileName = Variant(name);
    auto r = s->store.save_range(offset, size, upload::native_path(folder + name), !replace);
    if (r == ByteStore::SaveResult::Exists) {
      taken = true;  // created between the test and the write, or a link to nowhere
      continue;
    }
    if (r == ByteStore::SaveResult::OutOfRange) return fail(error_text(ErrorCode::StreamBadArguments));
    if (r != ByteStore::SaveResult::Done) return fail(error_text(ErrorCode::StreamWriteFailed));
    break;
  }
  if (!error.empty()) return fail(error);
  return Variant(true);
}

Variant UploadFileEx::GetBytes() {
  std::shared_ptr<UploadStream> s = reach_stream();
  if (!s || !s->open) throw ScriptError(ErrorCode::StreamClosed);
  uint64_t offset = 0, size = 0;
  if (!whole_number(Position, offset) || !whole_number(Size, size) || offset > s->store.size() ||
      size > s->store.size() - offset)
    throw ScriptError(ErrorCode::StreamBadArguments);
  Bytes out(static_cast<size_t>(size));
  if (!s->store.read(offset, size, out.data())) throw ScriptError(ErrorCode::StreamWriteFailed);
  return Variant(std::move(out));
}

// ---- parser ----

UploadFile::UploadFile() : DeclaredObject(parser_table()), stream_(std::make_shared<UploadStream>()) {
  t_shared_stream = stream_;
  tag_ = u"_" + new_time_name() + u"_";
}

UploadFile::~UploadFile() {
  forms_->clear();
  for (auto& [key, item] : files_->entries()) {
    // A page may have stored anything under a key, Nothing included.
    if (ObjectPtr o = item.object_or_null())
      if (auto* ex = dynamic_cast<UploadFileEx*>(o.get())) ex->Value = Variant();
    item = Variant(ObjectPtr());
  }
  files_->clear();
  if (stream_opened_) {
    stream_->open = false;
    stream_->store.clear();
  }
  // Only this parser's own stream leaves the thread's slot; a later parser's
  // stays where it is.
  if (t_shared_stream == stream_) t_shared_stream.reset();
}

void UploadFile::set_Exe(Variant v) {
  Text given = v.to_text();
  for (auto& [preset, list] : kExePresets)
    if (given == preset) {
      exe_ = Variant(list);
      return;
    }
  exe_ = Variant(vb::Replace(vb::Replace(vb::LCase(given), u"*.", u""), u";", u"|"));
}

Variant UploadFile::get_Description() {
  double id = error_id_.is_empty() ? -1 : error_id_.to_double();
  switch (static_cast<int>(id == std::floor(id) && id >= 0 && id <= 6 ? id : -1)) {
    case int(UploadError::None):
      return Variant(u"完成");
    case int(UploadError::TooLarge):
      return Variant(u"超出了最大容量(容许值为" + upload::size_text(max_size_.to_text()) + u")");
    case int(UploadError::NotMultipart):
      return Variant(u"Form中方式不对:Form一定要加上enctype=\"multipart/form-data\"属性,method属性值必须是post");
    case int(UploadError::TypeNotAllowed):
      return Variant(u"不允许上传该类文件(容许上传文件类型为:" + exe_.to_text() + u")");
    case int(UploadError::FileTooLarge):
      return Variant(u"超出了单文件最大容量(容许值为" + upload::size_text(single_size_.to_text()) + u")");
    case int(UploadError::NoData):
      return Variant(u"未选择上传文件或上传文件不存在");
    default:
      return {};
  }
}

bool UploadFile::is_ext_forbidden(TextView ext) const {
  Text list = exe_.to_text();
  if (list == u"*") return false;
  Text e = vb::LCase(ext);
  if (list.find(u'|') != Text::npos) {
    for (const Text& entry : vb::Split(list, u"|"))
      if (entry == e) return false;
    return true;
  }
  return list != e;
}

Text UploadFile::bytes_to_text(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return {};
  if (!decoder_) decoder_ = std::make_unique<upload::TextDecoder>(charset_.to_text());
  return (*decoder_)(bytes);
}

bool UploadFile::is_multipart_post(const Variant& request) {
  RequestRef req(request);
  if (vb::Trim(vb::LCase(req.server_variables(u"REQUEST_METHOD"))) != u"post") return false;
  Text given = req.server_variables(u"HTTP_CONTENT_TYPE");
  Text type = vb::LCase(given);
  auto pieces = vb::Split(type, u";");
  if (pieces.empty() || vb::Trim(pieces[0]) != u"multipart/form-data") return false;
  if (type.find(u"boundary=") == Text::npos)
    throw ScriptError(kSubscriptOutOfRange, u"上传数据格式错误：Content-Type 中没有 boundary=");
  std::optional<std::string> boundary = multipart::boundary_of(given);
  if (!boundary) malformed(u"Content-Type 中的 boundary 为空");
  boundary_ = std::move(*boundary);
  return true;
}

Text UploadFile::next_free_key(const Text& key) const {
  size_t cut = key.find(tag_);
  Text stem = cut == Text::npos ? key : key.substr(0, cut + tag_.size());
  Text rest = cut == Text::npos ? Text() : key.substr(cut + tag_.size());
  int64_t n = 0;
  if (std::optional<double> d = Variant(rest).try_to_double()) n = static_cast<int64_t>(*d);
  Text k = key;
  while (files_->exists(Variant(k))) k = stem + T(std::to_string(++n));
  return k;
}

Text UploadFile::new_name_for(TextView ext) {
  // Reseeding costs more than the rest of a part; once a post is enough.
  // The date digits are read again whenever the second turns.
  std::time_t now = std::time(nullptr);
  if (!names_seeded_) {
    vb::Randomize();
    names_seeded_ = true;
  }
  if (now != names_second_ || names_date_.empty()) {
    names_date_ = date_digits(local_now());
    names_second_ = now;
  }
  for (int attempt = 0;; ++attempt) {
    Text name;
    name.reserve(names_date_.size() + 4 + 1 + ext.size() + 4);
    name.append(names_date_);
    append_random_digits(name);
    // Ten thousand names a second for one extension: count on from there.
    if (attempt >= 16) name += u"_" + T(std::to_string(attempt));
    name += u'.';
    name += ext;
    // Equal names have equal hashes; a rare equal hash of two different
    // names only costs another draw.
    if (new_names_.insert(std::hash<Text>{}(name)).second) return name;
  }
}

void UploadFile::GetData(Variant& request) {
  auto t0 = std::chrono::steady_clock::now();
  RequestRef req(request);
  int32_t total = req.total_bytes();
  if (total <= 0) {
    error_id_ = Variant(int16_t(UploadError::NoData));
    return;
  }
  if (!is_multipart_post(request)) {
    error_id_ = Variant(int16_t(UploadError::NotMultipart));
    return;
  }
  Text software = vb::Replace(vb::LCase(req.server_variables(u"SERVER_SOFTWARE")), u"microsoft-iis/", u"");
  if (vb::IsNumericText(software)) server_version_ = Variant(software).to_double();
  if (server_version_ >= 6 && max_size_.to_double() > 0 && total > max_size_.to_double()) {
    error_id_ = Variant(int16_t(UploadError::TooLarge));
    return;
  }

  if (mode_.to_double() == 0) {
    total_size_ = Variant(int16_t(0));
    if (stream_->open) throw ScriptError(ErrorCode::StreamOpen);
    ByteStore& store = stream_->store;
    const std::string needle = multipart::delimiter_needle(boundary_);
    // A host that stored the body as it arrived hands it over whole: no
    // second copy, and its large parts are files of their own already.
    auto* source = dynamic_cast<upload::BodySource*>(request.object_or_null().get());
    if (std::unique_ptr<upload::BodyIntake> taken =
            source ? source->take_body(static_cast<uint64_t>(total)) : nullptr) {
      store.swap(taken->store());
      stream_->open = true;
      stream_opened_ = true;
      parse(store.view(), &store, taken->needle() == needle ? taken->index() : nullptr, elapsed_ms(t0));
      return;
    }
    store.reserve(static_cast<uint64_t>(total));
    stream_->open = true;
    stream_opened_ = true;
    BoundaryIndex index(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(needle.data()), needle.size()));
    int64_t read = 0;
    while (read < total) {
      int32_t count = static_cast<int32_t>(std::min<int64_t>(kChunk, total - read));
      Variant chunk = req.binary_read(count);
      size_t got = 0;
      if (chunk.type() == VarType::ByteArray) {
        got = std::min<size_t>(chunk.bytes().size(), static_cast<size_t>(total - read));
        index.feed(std::span<const uint8_t>(chunk.bytes()).first(got));
        store.append_shared(chunk.shared_bytes_ptr(), got);
      } else if (!chunk.is_empty()) {
        throw ScriptError(kTypeMismatch);
      }
      // A host that hands out less than it announced would otherwise keep
      // the page waiting for ever.
      if (got == 0) throw ScriptError(kInvalidCall, u"上传数据不完整：请求正文比声明的长度短");
      read += static_cast<int64_t>(got);
    }
    parse(store.view(), &store, index.usable() ? &index : nullptr, elapsed_ms(t0));
  } else {
    int32_t count = total;
    Variant all = req.binary_read(count);
    if (all.type() != VarType::ByteArray) throw ScriptError(kTypeMismatch);
    parse(all.bytes(), nullptr, nullptr, elapsed_ms(t0));
  }
}

void UploadFile::make_items() {
  auto& entries = files_->entries();
  for (FoundFile& f : found_) {
    auto item = std::make_shared<UploadFileEx>();
    item->ContentType = std::move(f.content_type);
    item->Size = Variant(f.length);
    item->Position = Variant(f.data_at);
    item->FormName = entries[f.slot].first;
    item->Extend = std::move(f.extension);
    item->NewName = Variant(std::move(f.new_name));
    item->FileName = Variant(std::move(f.file_name));
    item->LocalName = item->FileName;
    item->stream = stream_;
    item->bound_to_parser = true;
    entries[f.slot].second = Variant(std::static_pointer_cast<Object>(item));
  }
  found_.clear();
}

void UploadFile::parse(std::span<const uint8_t> body, ByteStore* store, const BoundaryIndex* index, double started_ms) {
  make_items();
  const bool items_seen = files_.use_count() > 1;
  Variant last_type, last_ext;
  auto t0 = std::chrono::steady_clock::now();
  static const uint8_t kHeaderEnd[] = {13, 10, 13, 10};
  const size_t n = body.size();

  // Window by window over a mapped body, dropping what lies behind. The
  // first window is small: most searches (a header's end, the boundary
  // line) end within a few bytes, and mapping in a large window for them
  // would cost more than the search.
  auto find = [&](std::span<const uint8_t> needle, size_t from) -> size_t {
    if (!store || !store->spilled()) return find_bytes(body, needle, from);
    size_t window = kFirstWindow;
    while (from < n) {
      size_t limit = n - from <= window + needle.size() - 1 ? n : from + window + needle.size() - 1;
      store->materialize(from, limit - from);
      store->prepare(from, limit - from);
      size_t hit = find_bytes(body.first(limit), needle, from);
      if (hit != kNotFound || limit == n) return hit;
      from += window;
      store->release_before(from - std::min(from, needle.size()));
      window = std::min(window * 2, kScanWindow);
    }
    return kNotFound;
  };
  auto done = [&]() {
    if (store) store->release_before(n);
  };

  const Text exe = exe_.to_text();
  const std::string needle_text = multipart::delimiter_needle(boundary_);
  const std::span<const uint8_t> needle(reinterpret_cast<const uint8_t*>(needle_text.data()), needle_text.size());
  // The next delimiter at or after `from`: a needle followed by "--" or by a
  // line end. `part_start` is where the part after it begins.
  auto next_delimiter = [&](size_t from, multipart::After& kind, size_t& part_start) -> size_t {
    for (;;) {
      size_t e;
      if (index) {
        uint64_t at;
        e = index->next(from, at) ? static_cast<size_t>(at) : kNotFound;
      } else {
        e = find(needle, from);
      }
      if (e == kNotFound) return kNotFound;
      kind = multipart::after_boundary(body, e + needle.size(), part_start);
      if (kind != multipart::After::NotADelimiter) return e;
      from = e + 1;
    }
  };
  auto finish = [&](int16_t id) {
    error_id_ = Variant(id);
    double ms = started_ms + std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    lost_time_ = Variant(vb::FormatNumber(ms, 2));
    done();
  };

  // The first delimiter may open the body without a line end before it;
  // anything ahead of it is preamble.
  multipart::After kind = multipart::After::NotADelimiter;
  size_t p = 0;
  if (multipart::starts_with_dash_boundary(body, boundary_))
    kind = multipart::after_boundary(body, boundary_.size() + 2, p);
  if (kind == multipart::After::NotADelimiter && next_delimiter(0, kind, p) == kNotFound) malformed(u"找不到分隔行");
  // Only the close delimiter: a form with nothing to send.
  if (kind == multipart::After::Close) return finish(int16_t(UploadError::NoData));

  multipart::PartHeaders part;  // one for every part, so its texts keep their storage
  for (;;) {
    size_t next_p = 0;
    size_t e = next_delimiter(p, kind, next_p);
    if (e == kNotFound) malformed(u"表单项之后没有分隔行，数据不完整");
    // The header block ends with an empty line inside the part; an empty
    // block is that line alone.
    size_t h = find_bytes(body.first(e), kHeaderEnd, p - 2);
    // Headers are never in a range the store keeps apart, but should a body
    // ever make it so, the search is made again on the real bytes.
    if (store && store->materialize(p - 2, (h == kNotFound ? e : h + 4) - (p - 2)))
      h = find_bytes(body.first(e), kHeaderEnd, p - 2);
    if (h == kNotFound) malformed(u"表单项的头部没有结束");
    const size_t data_at = h + 4, length = e - data_at;
    // A browser's part headers take a few hundred bytes; a body of nothing but
    // header lines is refused rather than read.
    if (h > p && h - p > kMaxPartHeaderBytes) malformed(u"表单项的头部过长");
    if (h < p) {
      multipart::parse_part_headers(TextView(), part);
    } else {
      if (!decoder_) decoder_ = std::make_unique<upload::TextDecoder>(charset_.to_text());
      multipart::parse_part_headers(body.subspan(p, h - p), *decoder_, part);
    }

    // A part without a name has no place on the page.
    if (!part.has_name) {
    } else if (part.has_file_name) {
      Text name = vb::LCase(part.name);
      Text client = part.file_name;
      TextView content_type = part.content_type;
      if (!trim_view(client).empty()) {
        Text file_name = client_file_name(std::move(client));
        TextView ext = extension_of(file_name);
        if (!exe.empty() && is_ext_forbidden(ext)) {
          error_id_ = Variant(int16_t(UploadError::TypeNotAllowed));
          return done();
        }
        Text new_name = new_name_for(ext);
        int32_t sum = (total_size_.is_empty() ? 0 : total_size_.to_i32()) + static_cast<int32_t>(length);
        total_size_ = Variant(sum);
        if (single_size_.to_double() > 0 && static_cast<double>(length) > single_size_.to_double()) {
          error_id_ = Variant(int16_t(UploadError::FileTooLarge));
          return done();
        }
        if (max_size_.to_double() > 0 && static_cast<double>(sum) > max_size_.to_double()) {
          error_id_ = Variant(int16_t(UploadError::TooLarge));
          return done();
        }
        Text key_text;
        key_text.reserve(name.size() + tag_.size() + 1);
        key_text.append(name).append(tag_).push_back(u'0');
        Variant key(std::move(key_text));
        bool added;
        Variant* slot = &files_->find_or_add(key, added);
        if (!added) {
          key = Variant(next_free_key(key.text()));
          slot = &files_->find_or_add(key, added);
        }
        *slot = Variant();
        // Parts of one post mostly share their type and extension.
        if (last_type.is_empty() || last_type.text() != content_type) last_type = Variant(content_type);
        TextView new_ext = TextView(new_name).substr(new_name.rfind(u'.') + 1);
        if (last_ext.is_empty() || last_ext.text() != new_ext) last_ext = Variant(new_ext);
        found_.push_back(FoundFile{files_->count() - 1, static_cast<int32_t>(data_at), static_cast<int32_t>(length),
                                   last_type, last_ext, std::move(file_name), std::move(new_name)});
        // A page already holding the dictionary sees each item as it comes.
        if (items_seen) make_items();
      }
    } else {
      if (store) store->materialize(data_at, length);
      Text value = bytes_to_text(body.subspan(data_at, length));
      bool added;
      Variant& stored = forms_->find_or_add(Variant(vb::LCase(part.name)), added);
      stored = added ? Variant(std::move(value)) : Variant(stored.to_text() + u"," + value);
    }

    p = next_p;
    if (store) store->release_before(e);
    // The epilogue after the close delimiter is not read.
    if (kind == multipart::After::Close) return finish(int16_t(UploadError::None));
  }
}

Variant UploadFile::GetSize(Variant size) {
  double d = size.to_double();
  if (d < 1024) return Variant(vb::FormatNumber(d, 2) + u"B");
  if (d < 1048576) return Variant(vb::FormatNumber(d / 1024, 2) + u"KB");
  return Variant(vb::FormatNumber(d / 1024 / 1024, 2) + u"MB");
}

Variant UploadFile::Forms(Variant name) {
  Text n = name.to_text();
  if (vb::Trim(n) == u"-1") return Variant(std::static_pointer_cast<Object>(forms_));
  const Variant* v = forms_->find(Variant(vb::LCase(n)));
  return v ? *v : Variant(Text());
}

Variant UploadFile::Files(Variant name) {
  make_items();
  Text n = name.to_text();
  if (vb::Trim(n) == u"-1") return Variant(std::static_pointer_cast<Object>(files_));
  Text key = n.find(tag_) != Text::npos ? n : vb::LCase(n) + tag_ + u"0";
  const Variant* v = files_->find(Variant(key));
  return v ? *v : Variant(UploadFileEmpty::create());
}

Variant UploadFile::Files_Muti(Variant name, Variant index) {
  make_items();
  Text n = name.to_text();
  if (vb::Trim(n) == u"-1") return Variant(std::static_pointer_cast<Object>(files_));
  const Variant* v = files_->find(Variant(vb::LCase(n) + tag_ + index.to_text()));
  return v ? *v : Variant(UploadFileEmpty::create());
}

Variant UploadFile::QuickSave(Variant name, Variant save_path) {
  // A physical folder needs no page; a site path is mapped by the page's Server.
  Text path = save_path.try_to_text().value_or(Text());
  Variant server = vb::InStr(path, u":") == 2 ? Variant() : require_page_object(PageObject::Server, u"QuickSave");
  make_items();
  Text stem = vb::LCase(name.to_text()) + tag_;
  int32_t saved = 0;
  for (int32_t i = 0;; ++i) {
    const Variant* v = files_->find(Variant(stem + T(std::to_string(i))));
    ObjectPtr o = v ? v->object_or_null() : nullptr;
    auto* item = dynamic_cast<UploadFileEx*>(o.get());
    if (!item) break;
    if (item->SavetoFile(server, save_path, Variant(int16_t(0)), Variant(true)).to_bool()) ++saved;
  }
  return Variant(saved);
}

std::shared_ptr<UploadFileEx> UploadFile::admit_file(TextView client_name, TextView content_type, uint64_t length,
                                                     std::shared_ptr<UploadStream> stream) {
  // The same steps as for a part of a post: the client's path cut off, the
  // extension checked against Exe, a generated name, then the sizes.
  Text file_name = client_file_name(Text(client_name));
  TextView ext = extension_of(file_name);
  if (!exe_.to_text().empty() && is_ext_forbidden(ext)) {
    error_id_ = Variant(int16_t(UploadError::TypeNotAllowed));
    return nullptr;
  }
  Text new_name = new_name_for(ext);
  total_size_ = Variant(static_cast<double>(length));
  if (single_size_.to_double() > 0 && static_cast<double>(length) > single_size_.to_double()) {
    error_id_ = Variant(int16_t(UploadError::FileTooLarge));
    return nullptr;
  }
  if (max_size_.to_double() > 0 && static_cast<double>(length) > max_size_.to_double()) {
    error_id_ = Variant(int16_t(UploadError::TooLarge));
    return nullptr;
  }
  error_id_ = Variant(int16_t(UploadError::None));
  auto item = std::make_shared<UploadFileEx>();
  item->ContentType = Variant(Text(content_type));
  item->Size = Variant(static_cast<double>(length));
  item->Position = Variant(int32_t(0));
  item->Extend = Variant(Text(TextView(new_name).substr(new_name.rfind(u'.') + 1)));
  item->NewName = Variant(std::move(new_name));
  item->FileName = Variant(std::move(file_name));
  item->LocalName = item->FileName;
  item->stream = stream;
  item->bound_to_parser = true;
  return item;
}

}  // namespace brevane
