// In-memory host objects for tests: the page objects and database objects
// that component routines call by name. Every module's tests use these.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/object.h"

namespace brevane::kit {

// Ordered name -> text pairs walked as a collection (Request.Form and co.).
class FakeCollection : public DynamicObject {
 public:
  FakeCollection();
  void add(TextView key, TextView value);
  VariantArray enumerate() override;
  std::vector<std::pair<Text, Text>> items;
};

class FakeRequest : public DynamicObject {
 public:
  FakeRequest();
  static std::shared_ptr<FakeRequest> make() { return std::make_shared<FakeRequest>(); }
  // A multipart POST: sets the method, content type and body.
  void set_multipart(std::string boundary, std::string body);
  void set_body(std::string body) {
    body_ = std::move(body);
    pos_ = 0;
  }
  const std::string& body() const { return body_; }
  // Serves the same body again from its start (benchmarks).
  void rewind() {
    pos_ = 0;
    binary_reads = 0;
  }

  std::map<Text, Text> server_variables;  // keys upper case
  std::shared_ptr<FakeCollection> form = std::make_shared<FakeCollection>();
  std::shared_ptr<FakeCollection> query = std::make_shared<FakeCollection>();
  std::shared_ptr<FakeCollection> cookies = std::make_shared<FakeCollection>();
  // Largest chunk BinaryRead hands out, to exercise chunked readers.
  size_t max_read = SIZE_MAX;
  int binary_reads = 0;

 private:
  std::string body_;
  size_t pos_ = 0;
};

class FakeResponse : public DynamicObject {
 public:
  FakeResponse();
  static std::shared_ptr<FakeResponse> make() { return std::make_shared<FakeResponse>(); }
  // Everything written, in order; writes after End are dropped as a real
  // response drops them.
  Text output;
  std::string binary;
  int write_calls = 0;
  int binary_write_calls = 0;
  int flush_calls = 0;
  bool ended = false;
  Text redirected_to;
  std::vector<std::pair<Text, Text>> headers;
  std::map<Text, Variant> properties;  // ContentType, CharSet, Buffer, ... keys lower case
  bool cleared = false;
};

// MapPath: "/" is `root`; paths relative to the page resolve under
// `page_folder`. Results are in Windows form.
class FakeServer : public DynamicObject {
 public:
  explicit FakeServer(Text root = u"C:\\site", Text page_folder = u"/");
  static std::shared_ptr<FakeServer> make(Text root = u"C:\\site", Text page_folder = u"/") {
    return std::make_shared<FakeServer>(std::move(root), std::move(page_folder));
  }
  Text root, page_folder;
};

// Session and Application: keys case-insensitive, Empty when absent.
class FakeStore : public DynamicObject {
 public:
  FakeStore();
  static std::shared_ptr<FakeStore> make() { return std::make_shared<FakeStore>(); }
  Variant& operator[](TextView key);
  std::map<Text, Variant> values;  // keys lower case
};

class FakeConn : public DynamicObject {
 public:
  FakeConn();
  static std::shared_ptr<FakeConn> make() { return std::make_shared<FakeConn>(); }
  bool closed = false;
  int close_calls = 0;
};

// A record set over rows given by the test; Open records the query.
class FakeRs : public DynamicObject {
 public:
  FakeRs();
  static std::shared_ptr<FakeRs> make() { return std::make_shared<FakeRs>(); }
  std::vector<Text> columns;
  std::vector<std::vector<Variant>> rows;
  Text last_sql;
  bool open = true;
  int close_calls = 0;
  int32_t page_size = 10;
  size_t pos = 0;
};

// A multipart/form-data body as browsers send it.
class MultipartBody {
 public:
  explicit MultipartBody(std::string boundary = "----BrevaneFormBoundary7MA4YWxkTrZu0gW");
  MultipartBody& field(std::string_view name, std::string_view value);
  MultipartBody& file(std::string_view name, std::string_view filename, std::string_view data,
                      std::string_view content_type = "application/octet-stream");
  // Anything else, verbatim (malformed bodies).
  MultipartBody& raw(std::string_view bytes);
  // With the closing delimiter.
  std::string str() const { return body_ + "--" + boundary_ + "--\r\n"; }
  // Without it.
  const std::string& open_str() const { return body_; }
  const std::string& boundary() const { return boundary_; }
  // Posts the body through `request`.
  void post(FakeRequest& request) const { request.set_multipart(boundary_, str()); }

 private:
  std::string boundary_, body_;
};

// Wraps a fake as the Variant a page passes.
template <class T>
Variant var(const std::shared_ptr<T>& p) {
  return Variant(std::static_pointer_cast<Object>(p));
}

}  // namespace brevane::kit
