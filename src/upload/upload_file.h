// The multipart form parser (Zelto_Class_UploadFile), its file items
// (Zelto_Class_UploadFileEx) and the placeholder for a field without a file
// (Zelto_Class_UploadFileEmpty).
//
// The body is held once, in the parser's upload stream: a ByteStore that
// spills to a temporary file past a few MiB and is scanned through a mapped
// view. Items keep offset and length and copy straight from the store when
// saved.
#pragma once

#include <ctime>
#include <memory>
#include <unordered_set>

#include "core/object.h"
#include "platform/bytestore.h"
#include "platform/dictionary.h"
#include "upload/upload_support.h"

namespace brevane {

class BoundaryIndex;

// The parser's ErrorID values, each with its Description text (4 has none).
// They are the page's own codes, not run-time error numbers.
enum class UploadError : int16_t {
  None = 0,            // "完成"
  TooLarge = 1,        // the post is above MaxSize
  NotMultipart = 2,    // not a multipart/form-data POST
  TypeNotAllowed = 3,  // a file's extension is not in Exe
  FileTooLarge = 5,    // a file is above SingleSize
  NoData = 6,          // nothing was sent
};

// One request body as the parser read it. `open` is set once Mode 0 has
// filled it; items of a parser in another mode find it closed.
struct UploadStream {
  ByteStore store;
  bool open = false;
};

// The thread's shared upload stream: that of the parser created last on the
// thread, nullptr when none (or when that parser is gone).
std::shared_ptr<UploadStream> shared_upload_stream();

class UploadFileEx : public DeclaredObject {
 public:
  UploadFileEx();
  static ObjectPtr create() { return std::make_shared<UploadFileEx>(); }

  // Properties: every read returns the stored field, every write stores.
  Variant Extend, Path, Exception, Value, Size{int16_t(0)}, Position, ContentType, UserSetName, FileName, LocalName,
      NewName, FormName;
#define BV_FIELD(F)               \
  Variant get_##F() { return F; } \
  void let_##F(Variant v) { F = std::move(v); }
  BV_FIELD(Extend);
  BV_FIELD(Path);
  BV_FIELD(Value);
  BV_FIELD(Size);
  BV_FIELD(Position);
  BV_FIELD(ContentType);
  BV_FIELD(UserSetName);
  BV_FIELD(FileName);
  BV_FIELD(LocalName);
  BV_FIELD(NewName);
  BV_FIELD(FormName);
#undef BV_FIELD
  Variant get_Exception() { return Exception; }
  Variant get_IsFile() { return Variant(true); }

  Variant SavetoFile(Variant& server, Variant path, Variant option, Variant overwrite);
  Variant GetBytes();

  // The stream the item's bytes lie in; unset for an item a page created,
  // which then reads the thread's shared stream.
  std::weak_ptr<UploadStream> stream;
  bool bound_to_parser = false;

 private:
  std::shared_ptr<UploadStream> reach_stream() const;
};

class UploadFileEmpty : public DeclaredObject {
 public:
  UploadFileEmpty();
  static ObjectPtr create() { return std::make_shared<UploadFileEmpty>(); }
};

class UploadFile : public DeclaredObject {
 public:
  UploadFile();
  ~UploadFile() override;
  static ObjectPtr create() { return std::make_shared<UploadFile>(); }

  void set_Mode(Variant v) { mode_ = std::move(v); }
  void set_MaxSize(Variant v) { max_size_ = std::move(v); }
  Variant get_MaxSize() { return max_size_; }
  void set_SingleSize(Variant v) { single_size_ = std::move(v); }
  Variant get_SingleSize() { return single_size_; }
  void set_Exe(Variant v);
  Variant get_Exe() { return exe_; }
  void set_CharSet(Variant v) {
    charset_ = std::move(v);
    decoder_.reset();
  }
  Variant get_ErrorID() { return error_id_; }
  Variant get_FileCount() { return Variant(static_cast<int32_t>(files_->count())); }
  Variant get_Description();
  Variant get_Version() { return Variant(u"ZeltoAspUpload V13.01.16"); }
  Variant get_TotalSize() { return total_size_; }
  Variant get_LostTime() { return lost_time_; }

  void GetData(Variant& request);
  Variant GetSize(Variant size);
  Variant Forms(Variant name);
  Variant Files(Variant name);
  Variant Files_Muti(Variant name, Variant index);
  Variant QuickSave(Variant name, Variant save_path);

  // A file that came by another way than a multipart post (a resumable
  // upload), checked against Exe, SingleSize and MaxSize and named as a part
  // of a post would be: the item over [0, length) of `stream`, or nullptr
  // with ErrorID and Description set when a rule refuses it.
  std::shared_ptr<UploadFileEx> admit_file(TextView client_name, TextView content_type, uint64_t length,
                                           std::shared_ptr<UploadStream> stream);

  // For the one-call upload and tests.
  const std::shared_ptr<Dictionary>& form_fields() const { return forms_; }
  const std::shared_ptr<Dictionary>& file_items() {
    make_items();
    return files_;
  }
  const Text& instance_tag() const { return tag_; }
  int error_id() const { return static_cast<int>(error_id_.to_double()); }

 private:
  // A file part as the parse found it. Its script object is made only when
  // a page (or the one-call upload) reaches the items: most parts of a post
  // are saved or read once, and a dozen script values per part cost more
  // than finding the part.
  struct FoundFile {
    size_t slot;  // its entry in files_, whose value stays Empty until made
    int32_t data_at, length;
    // Equal texts of neighbouring parts share one value.
    Variant content_type, extension;
    Text file_name, new_name;
  };
  void make_items();
  bool is_ext_forbidden(TextView ext) const;
  Text bytes_to_text(std::span<const uint8_t> bytes);
  bool is_multipart_post(const Variant& request);
  Text next_free_key(const Text& key) const;
  Text new_name_for(TextView ext);
  void parse(std::span<const uint8_t> body, ByteStore* store, const BoundaryIndex* index, double started);

  std::shared_ptr<Dictionary> forms_ = Dictionary::make();
  std::shared_ptr<Dictionary> files_ = Dictionary::make();
  std::vector<FoundFile> found_;
  Variant charset_{u"GB2312"}, max_size_{int16_t(-1)}, single_size_{int16_t(-1)}, error_id_{int16_t(-1)},
      total_size_{int16_t(0)}, exe_{Text()}, lost_time_, mode_{int16_t(0)};
  double server_version_ = 6;
  std::string boundary_;  // as the request's Content-Type declares it
  bool stream_opened_ = false;
  Text tag_;
  std::shared_ptr<UploadStream> stream_;
  // Generated names handed out by this parser; two files of one post never
  // share one.
  std::unordered_set<size_t> new_names_;          // hashes
  std::unique_ptr<upload::TextDecoder> decoder_;  // for CharSet, made at the first use in a parse
  bool names_seeded_ = false;
  std::time_t names_second_ = 0;
  Text names_date_;
};

// "_" & NewTimeName & "_"-style stamps: 14 digits of local date and time and
// 4 random ones.
Text new_time_name();

}  // namespace brevane
