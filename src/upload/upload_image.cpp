#include "upload/upload_image.h"

#include "core/codepage.h"
#include "core/declared.h"
#include "core/vbrt.h"
#include "frame/host.h"
#include "frame/page_context.h"
#include "upload/bytesearch.h"
#include "upload/multipart.h"
#include "upload/upload_support.h"

namespace brevane {

namespace {

// Byte k (1-based) of the data, the pad counting as zeros; callers check
// the bound first.
struct Reader {
  std::span<const uint8_t> d;
  size_t n;  // with the pad
  uint8_t at(size_t k) const { return k - 1 < d.size() ? d[k - 1] : 0; }
  double little(size_t from, size_t to) const {
    double v = 0, scale = 1;
    for (size_t k = from; k <= to; ++k, scale *= 256) v += at(k) * scale;
    return v;
  }
  double big(size_t from, size_t to) const {
    double v = 0;
    for (size_t k = from; k <= to; ++k) v = v * 256 + at(k);
    return v;
  }
};

const HandlerTable& data_table() {
  using C = UpLoadImageData;
  namespace D = decl::Zelto_UpLoadImageData;
  static const HandlerTable t(
      declared_class(u"Zelto_UpLoadImageData"),
      {{bind<D::get_name, &C::get_name>(), bind<D::let_name, &C::let_name>(), bind<D::get_Value, &C::get_Value>(),
        bind<D::let_Value, &C::let_Value>(), bind<D::get_Datatype, &C::get_Datatype>(),
        bind<D::let_Datatype, &C::let_Datatype>(), bind<D::get_FileName, &C::get_FileName>(),
        bind<D::let_FileName, &C::let_FileName>(), bind<D::get_ContentType, &C::get_ContentType>(),
        bind<D::let_ContentType, &C::let_ContentType>(), bind<D::get_Start, &C::get_Start>(),
        bind<D::let_Start, &C::let_Start>(), bind<D::get_ShortFilename, &C::get_ShortFilename>(),
        bind<D::IsImage, &C::IsImage>()}});
  return t;
}

const HandlerTable& parser_table() {
  using C = UploadImage;
  namespace D = decl::Zelto_UploadImage;
  static const HandlerTable t(
      declared_class(u"Zelto_UploadImage"),
      {{bind<D::get_CaseSensitive, &C::get_CaseSensitive>(), bind<D::let_CaseSensitive, &C::let_CaseSensitive>(),
        bind<D::binrequest, &C::binrequest>(), bind<D::binCount, &C::binCount>(), bind<D::isExists, &C::isExists>(),
        bind<D::SavetoFile, &C::SavetoFile>(), bind<D::GetPath, &C::GetPath>()}});
  return t;
}

// Header bytes decoded one character at a time in the ANSI code page.
Text ansi_text(std::span<const uint8_t> b) {
  return CodePage::ansi().decode(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

Bytes utf16_bytes(const Text& t) {
  Bytes b(t.size() * 2);
  for (size_t i = 0; i < t.size(); ++i) {
    b[2 * i] = static_cast<uint8_t>(t[i]);
    b[2 * i + 1] = static_cast<uint8_t>(t[i] >> 8);
  }
  return b;
}

}  // namespace

ImageInfo sniff_image(std::span<const uint8_t> data, size_t zeros) {
  ImageInfo out;
  Reader r{data, data.size() + zeros};
  const size_t n = r.n;
  if (n == 0) return out;

  static const uint8_t kJpeg[] = {255, 216, 255};
  size_t q0 = find_bytes(data, kJpeg, 0);
  if (q0 != kNotFound) {
    // Segments are walked by their length fields; a walk that runs off the
    // data without meeting a frame header means no image.
    size_t p = q0 + 1 + 2;
    bool frame = false;
    while (p < n) {
      while (p < n && r.at(p) == 255) ++p;
      uint8_t m = r.at(p);
      if (m >= 192 && m <= 195) {
        frame = true;
        break;
      }
      if (p + 2 > n) break;
      p += static_cast<size_t>(r.big(p + 1, p + 2)) + 1;
    }
    if (!frame || p + 8 > n) return out;
    out.recognised = true;
    out.type = Variant(u"JPG");
    out.size = Variant(static_cast<int32_t>(n));
    out.height = Variant(r.big(p + 4, p + 5));
    out.width = Variant(r.big(p + 6, p + 7));
    out.bit = Variant(static_cast<int32_t>(r.at(p + 8)) * 8);
    return out;
  }

  auto starts = [&](std::initializer_list<uint8_t> sig) {
    size_t k = 1;
    for (uint8_t b : sig)
      if (r.at(k++) != b) return false;
    return true;
  };
  if (n > 12 && (starts({71, 73, 70, 56, 57, 97}) || starts({71, 73, 70, 56, 55, 97}))) {
    out.type = Variant(u"gif");
    out.width = Variant(r.little(7, 8));
    out.height = Variant(r.little(9, 10));
    out.bit = Variant(static_cast<double>(r.at(11) & 112) / 16 + 1);
  } else if (n > 32 && starts({'B', 'M'})) {
    out.type = Variant(u"bmp");
    out.width = Variant(r.little(19, 22));
    out.height = Variant(r.little(23, 26));
    out.bit = Variant(r.little(29, 30));
  } else if (n > 27 && starts({137, 80, 78, 71, 13, 10, 26, 10})) {
    out.type = Variant(u"png");
    out.width = Variant(r.big(19, 20));
    out.height = Variant(r.big(23, 24));
    int d = r.at(25), c = r.at(26);
    int bit = c == 0 || c == 3 ? d : c == 2 ? d * 3 : c == 4 ? d * 2 : c == 6 ? d * 4 : -1;
    out.bit = Variant(static_cast<int16_t>(bit));
  } else {
    return out;
  }
  out.recognised = true;
  out.size = Variant(static_cast<int32_t>(n));
  return out;
}

// ---- items ----

UpLoadImageData::UpLoadImageData() : DeclaredObject(data_table()) {}

void UpLoadImageData::set_file_data(std::shared_ptr<ByteStore> store, uint64_t offset, uint64_t length) {
  store_ = std::move(store);
  offset_ = offset;
  length_ = length;
  value_ = Variant();
}

std::span<const uint8_t> UpLoadImageData::data_view(size_t& zeros, Bytes& scratch) {
  zeros = 0;
  if (store_) {
    zeros = length_ % 2;
    return store_->view().subspan(static_cast<size_t>(offset_), static_cast<size_t>(length_));
  }
  if (value_.type() == VarType::ByteArray) return value_.bytes();
  if (value_.is_empty()) return {};
  scratch = utf16_bytes(value_.to_text());
  return scratch;
}

Variant UpLoadImageData::get_Value() {
  if (!store_) return value_;
  size_t zeros;
  Bytes scratch;
  auto d = data_view(zeros, scratch);
  Bytes b(d.begin(), d.end());
  b.resize(b.size() + zeros, 0);
  return Variant(std::move(b));
}

void UpLoadImageData::let_Value(Variant v) {
  store_.reset();
  value_ = std::move(v);
}

bool UpLoadImageData::value_is_empty() {
  size_t zeros;
  Bytes scratch;
  return data_view(zeros, scratch).size() + zeros == 0;
}

Variant UpLoadImageData::get_ShortFilename() {
  Text f = FileName.to_text();
  size_t slash = f.rfind(u'\\');
  return Variant(slash == Text::npos ? f : f.substr(slash + 1));
}

Variant UpLoadImageData::IsImage(Variant& width, Variant& height, Variant& type, Variant& size, Variant& bit) {
  ImageInfo info;
  if (Datatype.to_double() != 0) {
    size_t zeros;
    Bytes scratch;
    auto d = data_view(zeros, scratch);
    info = sniff_image(d, zeros);
  }
  width = info.width;
  height = info.height;
  type = info.type;
  size = info.size;
  bit = info.bit;
  return Variant(info.recognised);
}

bool UpLoadImageData::save_to(const std::string& native_path, bool exclusive, ByteStore::SaveResult& result) {
  if (store_) {
    result = store_->save_range(offset_, length_, native_path, exclusive);
  } else {
    size_t zeros;
    Bytes scratch;
    auto d = data_view(zeros, scratch);
    ByteStore one;
    one.append(d.data(), d.size());
    result = one.save_range(0, d.size(), native_path, exclusive);
  }
  return result == ByteStore::SaveResult::Done;
}

// ---- parser ----

UploadImage::UploadImage() : DeclaredObject(parser_table()) {
  parse_request(require_page_object(PageObject::Request, u"Zelto_UploadImage"));
}

void UploadImage::parse_request(const Variant& request) {
  items_.clear();
  store_ = std::make_shared<ByteStore>();
  RequestRef req(request);
  int32_t total = req.total_bytes();
  if (total <= 0) return;
  // In pieces, so a large body goes to the store's file rather than memory.
  store_->reserve(static_cast<uint64_t>(total));
  for (int64_t read = 0; read < total;) {
    int32_t count = static_cast<int32_t>(std::min<int64_t>(16384, total - read));
    Variant chunk = req.binary_read(count);
    if (chunk.type() != VarType::ByteArray || chunk.bytes().empty()) break;
    size_t got = std::min<size_t>(chunk.bytes().size(), static_cast<size_t>(total - read));
    store_->append(chunk.bytes().data(), got);
    read += static_cast<int64_t>(got);
  }
  std::optional<std::string> boundary = multipart::boundary_of(req.server_variables(u"HTTP_CONTENT_TYPE"));
  if (!boundary) return;
  std::span<const uint8_t> body = store_->view();
  static const uint8_t kHeaderEnd[] = {13, 10, 13, 10};
  const std::string needle_text = multipart::delimiter_needle(*boundary);
  const std::span<const uint8_t> needle(reinterpret_cast<const uint8_t*>(needle_text.data()), needle_text.size());
  auto next_delimiter = [&](size_t from, multipart::After& kind, size_t& part_start) -> size_t {
    for (size_t e = find_bytes(body, needle, from); e != kNotFound; e = find_bytes(body, needle, e + 1)) {
      kind = multipart::after_boundary(body, e + needle.size(), part_start);
      if (kind != multipart::After::NotADelimiter) return e;
    }
    return kNotFound;
  };

  // The same reading as the form parser's; a body that is not well formed
  // gives no items rather than some of them.
  multipart::After kind = multipart::After::NotADelimiter;
  size_t p = 0;
  if (multipart::starts_with_dash_boundary(body, *boundary))
    kind = multipart::after_boundary(body, boundary->size() + 2, p);
  if (kind == multipart::After::NotADelimiter && next_delimiter(0, kind, p) == kNotFound) return;
  std::vector<std::shared_ptr<UpLoadImageData>> items;
  while (kind != multipart::After::Close) {
    size_t next_p = 0;
    size_t e = next_delimiter(p, kind, next_p);
    if (e == kNotFound) return;
    size_t h = find_bytes(body.first(e), kHeaderEnd, p - 2);
    if (h == kNotFound) return;
    Text block = h < p ? Text() : ansi_text(body.subspan(p, h - p));
    multipart::PartHeaders part;
    multipart::parse_part_headers(block, part);
    p = next_p;
    if (!part.has_name) continue;  // nowhere to file it
    auto item = std::make_shared<UpLoadImageData>();
    const size_t data_at = h + 4, length = e - data_at;
    item->Datatype = Variant(int16_t(part.has_file_name ? 1 : 0));
    item->name = Variant(std::move(part.name));
    item->Start = Variant(static_cast<int32_t>(data_at));
    if (part.has_file_name) {
      item->FileName = Variant(std::move(part.file_name));
      item->ContentType = Variant(part.content_type);
      item->set_file_data(store_, data_at, length);
    } else {
      item->set_text(ansi_text(body.subspan(data_at, length)));
    }
    items.push_back(std::move(item));
  }
  items_ = std::move(items);
}

bool UploadImage::same_name(const Text& a, const Text& b) const {
  return case_sensitive_.to_bool() ? a == b : vb::UCase(a) == vb::UCase(b);
}

std::shared_ptr<UpLoadImageData> UploadImage::find(Variant& name, Variant& number) {
  Text wanted = name.to_text();
  double n = number.to_double();
  double seen = 0;
  for (auto& item : items_) {
    if (!same_name(item->name.to_text(), wanted)) continue;
    if (seen == n) return item;
    ++seen;
  }
  return nullptr;
}

Variant UploadImage::binrequest(Variant& name, Variant& number) {
  auto item = find(name, number);
  return Variant(item ? std::static_pointer_cast<Object>(item) : UpLoadImageData::create());
}

Variant UploadImage::binCount(Variant& name) {
  Text wanted = name.to_text();
  int32_t count = 0;
  for (auto& item : items_) count += same_name(item->name.to_text(), wanted);
  return Variant(count);
}

Variant UploadImage::isExists(Variant& name) {
  Text wanted = name.to_text();
  for (auto& item : items_)
    if (same_name(item->name.to_text(), wanted)) return Variant(true);
  return Variant(false);
}

Variant UploadImage::GetPath(Variant& full_name) {
  Text f = full_name.to_text();
  size_t slash = f.rfind(u'\\');
  return Variant(slash == Text::npos ? Text() : f.substr(0, slash + 1));
}

Variant UploadImage::SavetoFile(Variant& name, Variant& number, Variant& full_name, Variant& force) {
  auto item = find(name, number);
  if (!item || item->Datatype.is_empty()) return Variant(int16_t(1));
  if (item->value_is_empty()) return Variant(int16_t(2));
  Text target = full_name.to_text();
  if (!upload::folder_exists(GetPath(full_name).to_text())) return Variant(int16_t(4));
  bool replace = force.to_bool();
  if (!replace && upload::path_exists(target)) return Variant(int16_t(32));
  ByteStore::SaveResult result;
  if (item->save_to(upload::native_path(target), !replace, result)) return Variant(int16_t(0));
  if (result == ByteStore::SaveResult::Exists) return Variant(int16_t(32));
  if (replace) return Variant(int16_t(upload::path_exists(target) ? 8 : 16));
  return Variant(int16_t(16));
}

}  // namespace brevane
