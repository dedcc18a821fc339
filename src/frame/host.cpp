#include "frame/host.h"

namespace brevane {

int32_t RequestRef::total_bytes() const { return get(v_, u"TotalBytes").to_i32(); }

Variant RequestRef::binary_read(int32_t& count) const {
  std::vector<Variant> args{Variant(count)};
  Variant r = invoke_by_name(v_, u"BinaryRead", kMethod | kGet, args);
  count = args[0].to_i32();
  return r;
}

Text RequestRef::server_variables(TextView name) const {
  return call(v_, u"ServerVariables", {Variant(name)}).to_text();
}

Text RequestRef::form(TextView name) const { return call(v_, u"Form", {Variant(name)}).to_text(); }

Text RequestRef::query_string(TextView name) const { return call(v_, u"QueryString", {Variant(name)}).to_text(); }

Variant RequestRef::form_collection() const { return get(v_, u"Form"); }

Variant RequestRef::query_string_collection() const { return get(v_, u"QueryString"); }

Variant RequestRef::item(TextView name) const { return call_default(v_, {Variant(name)}).value(); }

void ResponseRef::write(TextView text) const { call(v_, u"Write", {Variant(text)}); }
void ResponseRef::binary_write(const Variant& bytes) const { call(v_, u"BinaryWrite", {bytes}); }
void ResponseRef::end() const { call(v_, u"End"); }
void ResponseRef::redirect(TextView url) const { call(v_, u"Redirect", {Variant(url)}); }
void ResponseRef::add_header(TextView name, TextView value) const {
  call(v_, u"AddHeader", {Variant(name), Variant(value)});
}
void ResponseRef::clear() const { call(v_, u"Clear"); }
void ResponseRef::flush() const { call(v_, u"Flush"); }
void ResponseRef::set(TextView property, Variant value) const { put(v_, property, std::move(value)); }

Text ServerRef::map_path(TextView path) const { return call(v_, u"MapPath", {Variant(path)}).to_text(); }
Text ServerRef::url_encode(TextView text) const { return call(v_, u"URLEncode", {Variant(text)}).to_text(); }

Variant StoreRef::get(TextView key) const { return call_default(v_, {Variant(key)}); }
void StoreRef::set(TextView key, Variant value) const {
  std::vector<Variant> args{Variant(key), std::move(value)};
  v_.object()->invoke(kDispIdValue, kPut, args);
}

void RecordsetRef::open(TextView sql, const Variant& conn, int cursor_type, int lock_type) const {
  call(v_, u"Open", {Variant(sql), conn, Variant(cursor_type), Variant(lock_type)});
}
bool RecordsetRef::eof() const { return get(v_, u"EOF").to_bool(); }
bool RecordsetRef::bof() const { return get(v_, u"BOF").to_bool(); }
void RecordsetRef::move_next() const { call(v_, u"MoveNext"); }
int32_t RecordsetRef::record_count() const { return get(v_, u"RecordCount").to_i32(); }
int32_t RecordsetRef::page_count() const { return get(v_, u"PageCount").to_i32(); }
void RecordsetRef::set_page_size(int32_t n) const { put(v_, u"PageSize", Variant(n)); }
void RecordsetRef::set_absolute_page(int32_t n) const { put(v_, u"AbsolutePage", Variant(n)); }
Variant RecordsetRef::field(TextView name) const { return call_default(v_, {Variant(name)}).value(); }
void RecordsetRef::close() const { call(v_, u"Close"); }

void close_quietly(const Variant& v) {
  if (!v.is_object()) return;
  try {
    call(v, u"Close");
  } catch (const ScriptError&) {
    // Closing something already closed is not an error worth a page.
  }
}

}  // namespace brevane
