// The image upload parser (Zelto_UploadImage) and its items
// (Zelto_UpLoadImageData), which tell JPEG, GIF, BMP and PNG data apart by
// their headers and read size and depth from them.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "core/object.h"
#include "platform/bytestore.h"

namespace brevane {

struct ImageInfo {
  bool recognised = false;
  Variant width{int16_t(-1)}, height{int16_t(-1)}, type{u"unknow"}, size{int16_t(-1)}, bit{int16_t(-1)};
};

// Header sniffing over `data` followed by `zeros` padding bytes of 0 (the
// pad an odd-sized upload gets); never reads outside.
ImageInfo sniff_image(std::span<const uint8_t> data, size_t zeros = 0);

class UpLoadImageData : public DeclaredObject {
 public:
  UpLoadImageData();
  static ObjectPtr create() { return std::make_shared<UpLoadImageData>(); }

  Variant name, Datatype, FileName, ContentType, Start;
#define BV_FIELD(F)               \
  Variant get_##F() { return F; } \
  void let_##F(Variant v) { F = std::move(v); }
  BV_FIELD(name);
  BV_FIELD(Datatype);
  BV_FIELD(FileName);
  BV_FIELD(ContentType);
  BV_FIELD(Start);
#undef BV_FIELD
  Variant get_Value();
  void let_Value(Variant v);
  Variant get_ShortFilename();
  Variant IsImage(Variant& width, Variant& height, Variant& type, Variant& size, Variant& bit);

  // File data stay in the parser's store until a page reads Value.
  void set_file_data(std::shared_ptr<ByteStore> store, uint64_t offset, uint64_t length);
  void set_text(Text value) { value_ = Variant(std::move(value)); }
  // The bytes to save: the upload's own, without the pad.
  bool save_to(const std::string& native_path, bool exclusive, ByteStore::SaveResult& result);
  bool value_is_empty();

 private:
  std::span<const uint8_t> data_view(size_t& zeros, Bytes& scratch);

  Variant value_;
  std::shared_ptr<ByteStore> store_;
  uint64_t offset_ = 0, length_ = 0;
};

class UploadImage : public DeclaredObject {
 public:
  UploadImage();
  static ObjectPtr create() { return std::make_shared<UploadImage>(); }

  Variant get_CaseSensitive() { return case_sensitive_; }
  void let_CaseSensitive(Variant& v) { case_sensitive_ = v; }
  Variant binrequest(Variant& name, Variant& number);
  Variant binCount(Variant& name);
  Variant isExists(Variant& name);
  Variant SavetoFile(Variant& name, Variant& number, Variant& full_name, Variant& force);
  Variant GetPath(Variant& full_name);

  // Parses `request` (normally the page's, found at creation).
  void parse_request(const Variant& request);
  size_t item_count() const { return items_.size(); }

 private:
  bool same_name(const Text& a, const Text& b) const;
  std::shared_ptr<UpLoadImageData> find(Variant& name, Variant& number);

  Variant case_sensitive_{false};
  std::shared_ptr<ByteStore> store_ = std::make_shared<ByteStore>();
  std::vector<std::shared_ptr<UpLoadImageData>> items_;
};

}  // namespace brevane
