// Typed views of the page's host objects. Every call goes by name, so the
// same routines run against the native host, the test kit and the web
// server's own objects behind the Windows adapter.
#pragma once

#include "core/object.h"

namespace brevane {

class HostRef {
 public:
  explicit HostRef(const Variant& v) : v_(v) {}
  const Variant& variant() const { return v_; }

 protected:
  Variant v_;
};

class RequestRef : public HostRef {
 public:
  using HostRef::HostRef;
  int32_t total_bytes() const;
  // Reads up to `count` bytes; `count` holds the number read afterwards.
  Variant binary_read(int32_t& count) const;
  Text server_variables(TextView name) const;
  Text form(TextView name) const;
  Text query_string(TextView name) const;
  // The collections themselves, for walking their keys.
  Variant form_collection() const;
  Variant query_string_collection() const;
  // Request(name): query string, form, cookies, server variables in turn.
  Variant item(TextView name) const;
};

class ResponseRef : public HostRef {
 public:
  using HostRef::HostRef;
  void write(TextView text) const;
  void binary_write(const Variant& bytes) const;
  void end() const;
  void redirect(TextView url) const;
  void add_header(TextView name, TextView value) const;
  void clear() const;
  void flush() const;
  void set(TextView property, Variant value) const;  // ContentType, CharSet, Buffer, Expires, ...
};

class ServerRef : public HostRef {
 public:
  using HostRef::HostRef;
  Text map_path(TextView path) const;
  Text url_encode(TextView text) const;
};

// Session and Application: Empty for an absent key.
class StoreRef : public HostRef {
 public:
  using HostRef::HostRef;
  Variant get(TextView key) const;
  void set(TextView key, Variant value) const;
};

class RecordsetRef : public HostRef {
 public:
  using HostRef::HostRef;
  void open(TextView sql, const Variant& conn, int cursor_type, int lock_type) const;
  bool eof() const;
  bool bof() const;
  void move_next() const;
  int32_t record_count() const;
  int32_t page_count() const;
  void set_page_size(int32_t n) const;
  void set_absolute_page(int32_t n) const;
  Variant field(TextView name) const;
  void close() const;
};

// Closes a record set or connection if it is an open object; anything else
// (Empty, Nothing, already closed) is left alone.
void close_quietly(const Variant& v);

}  // namespace brevane
