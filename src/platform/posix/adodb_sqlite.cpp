// Connections and record sets over SQLite. A record set reads its whole
// result when it opens (a static snapshot, as a keyset cursor over a
// read-only query behaves), so paging and counting need no second query and
// a record set outlives the statement that filled it.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/vbdate.h"
#include "core/vbrt.h"
#include "platform/adodb.h"
#include "platform/fs.h"

namespace brevane {

namespace {

constexpr int kForwardOnly = 0;
constexpr int kReadOnly = 1;

// ---------------------------------------------------------------- paths

// A physical path in Windows form goes through the file system's drive
// mapping (C: is the root unless configured); a path without a drive letter
// is a native path and is used as it stands.
std::optional<std::string> database_path(TextView file) {
  if (file.size() >= 2 && file[1] == u':') return fs::native_path(file);
  return to_utf8(file);
}

// The database file a connection string names: the DBQ= or Data Source=
// entry of a driver string, or the whole text when it is a plain path.
Text database_of(TextView conn_string) {
  Text s(conn_string);
  Text lower = vb::LCase(s);
  for (TextView key : {TextView(u"dbq="), TextView(u"data source=")}) {
    size_t at = 0;
    while ((at = lower.find(key, at)) != Text::npos) {
      if (at == 0 || lower[at - 1] == u';' || lower[at - 1] == u' ') break;
      at += key.size();
    }
    if (at == Text::npos) continue;
    size_t start = at + key.size();
    size_t end = s.find(u';', start);
    Text value = vb::Trim(s.substr(start, end == Text::npos ? Text::npos : end - start));
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') value = value.substr(1, value.size() - 2);
    return value;
  }
  return vb::Trim(s);
}

[[noreturn]] void raise(int number, const char16_t* description) { throw ScriptError(number, description); }

[[noreturn]] void raise_provider(sqlite3* db) {
  throw ScriptError(kDataProvider, from_utf8(db ? sqlite3_errmsg(db) : "out of memory"));
}

const char16_t kClosedText[] = u"Operation is not allowed when the object is closed.";
const char16_t kOpenText[] = u"Operation is not allowed when the object is open.";
const char16_t kBofEofText[] =
    u"Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current "
    u"record.";
const char16_t kArgumentText[] =
    u"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.";

bool given(Args a, size_t i) { return a.size() > i && !a[i].is_missing(); }

// ---------------------------------------------------------------- SQL functions

Text arg_text(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? from_utf8(std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v)))) : Text();
}

void result_text(sqlite3_context* ctx, TextView t) {
  std::string u = to_utf8(t);
  sqlite3_result_text(ctx, u.data(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
}

bool any_null(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  return false;
}

// Left/Right/Mid/Len count UTF-16 code units, as the pages that wrote the
// queries count characters. A Null argument gives Null, as in the original
// database engine.
template <class F>
void text_function(sqlite3_context* ctx, int argc, sqlite3_value** argv, F f) {
  if (any_null(argc, argv)) {
    sqlite3_result_null(ctx);
    return;
  }
  try {
    f();
  } catch (const ScriptError& e) {
    std::string msg = to_utf8(e.description());
    sqlite3_result_error(ctx, msg.c_str(), static_cast<int>(msg.size()));
  }
}

void sql_left(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  text_function(ctx, argc, argv, [&] { result_text(ctx, vb::Left(arg_text(argv[0]), sqlite3_value_int64(argv[1]))); });
}

void sql_right(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  text_function(ctx, argc, argv, [&] { result_text(ctx, vb::Right(arg_text(argv[0]), sqlite3_value_int64(argv[1]))); });
}

void sql_mid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  text_function(ctx, argc, argv, [&] {
    std::optional<int64_t> len;
    if (argc > 2) len = sqlite3_value_int64(argv[2]);
    result_text(ctx, vb::Mid(arg_text(argv[0]), sqlite3_value_int64(argv[1]), len));
  });
}

void sql_len(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  text_function(ctx, argc, argv,
                [&] { sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(arg_text(argv[0]).size())); });
}

// Dates are stored as ISO text so that they sort and compare as text.
std::string iso_date(const DateParts& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
  return buf;
}

void sql_now(sqlite3_context* ctx, int, sqlite3_value**) {
  std::string s = iso_date(local_now());
  sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// LEFT and RIGHT are join keywords to SQLite, so a call of either is renamed
// before the statement is prepared.
constexpr char kLeftName[] = "vb_left";
constexpr char kRightName[] = "vb_right";

void register_functions(sqlite3* db) {
  constexpr int kPure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  sqlite3_create_function(db, kLeftName, 2, kPure, nullptr, sql_left, nullptr, nullptr);
  sqlite3_create_function(db, kRightName, 2, kPure, nullptr, sql_right, nullptr, nullptr);
  sqlite3_create_function(db, "Mid", 2, kPure, nullptr, sql_mid, nullptr, nullptr);
  sqlite3_create_function(db, "Mid", 3, kPure, nullptr, sql_mid, nullptr, nullptr);
  sqlite3_create_function(db, "Len", 1, kPure, nullptr, sql_len, nullptr, nullptr);
  sqlite3_create_function(db, "Now", 0, SQLITE_UTF8, nullptr, sql_now, nullptr, nullptr);
}

bool word_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// Renames Left( and Right( outside literals, quoted names and comments;
// LEFT JOIN and RIGHT JOIN never have "(" after the keyword.
std::string rename_join_keyword_calls(const std::string& sql) {
  std::string out;
  out.reserve(sql.size() + 16);
  size_t i = 0, n = sql.size();
  auto copy_until = [&](size_t end) {
    end = std::min(end, n);
    out.append(sql, i, end - i);
    i = end;
  };
  while (i < n) {
    char c = sql[i];
    if (c == '\'' || c == '"' || c == '`') {
      size_t j = i + 1;
      while (j < n) {
        if (sql[j] == c) {
          if (j + 1 < n && sql[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      copy_until(j + 1);
    } else if (c == '[') {
      copy_until(sql.find(']', i) == std::string::npos ? n : sql.find(']', i) + 1);
    } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      copy_until(sql.find('\n', i) == std::string::npos ? n : sql.find('\n', i));
    } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      size_t end = sql.find("*/", i + 2);
      copy_until(end == std::string::npos ? n : end + 2);
    } else if (word_char(c)) {
      size_t j = i;
      while (j < n && word_char(sql[j])) ++j;
      std::string word = sql.substr(i, j - i);
      for (auto& ch : word) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      size_t k = j;
      while (k < n && (sql[k] == ' ' || sql[k] == '\t' || sql[k] == '\r' || sql[k] == '\n')) ++k;
      bool call_follows = k < n && sql[k] == '(';
      if (call_follows && word == "left")
        out += kLeftName;
      else if (call_follows && word == "right")
        out += kRightName;
      else
        out.append(sql, i, j - i);
      i = j;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

// ---------------------------------------------------------------- column types

// What a column's declared type makes of its values (the provider's field
// types: adInteger 3, adVarWChar 202, ...).
enum class Kind { Auto, Long, Integer, Byte, Boolean, Double, Single, Currency, Date, Text, Binary };

Kind kind_of(const char* decl) {
  if (!decl) return Kind::Auto;
  std::string d(decl);
  for (auto& c : d) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto has = [&](const char* w) { return d.find(w) != std::string::npos; };
  if (has("CHAR") || has("TEXT") || has("CLOB") || has("MEMO") || has("STRING")) return Kind::Text;
  if (has("BLOB") || has("BINARY") || has("IMAGE") || has("OLE")) return Kind::Binary;
  if (has("BOOL") || d == "BIT" || has("YESNO") || has("LOGICAL")) return Kind::Boolean;
  if (has("TINYINT") || has("BYTE")) return Kind::Byte;
  if (has("SMALLINT") || has("SHORT")) return Kind::Integer;
  if (has("INT") || has("COUNTER") || has("LONG")) return Kind::Long;
  if (has("MONEY") || has("CURRENCY")) return Kind::Currency;
  if (has("DATE") || has("TIME")) return Kind::Date;
  if (has("SINGLE")) return Kind::Single;
  if (has("REAL") || has("FLOA") || has("DOUB") || has("NUM") || has("DEC")) return Kind::Double;
  return Kind::Auto;
}

int ado_type(Kind k) {
  switch (k) {
    case Kind::Long:
      return 3;
    case Kind::Integer:
      return 2;
    case Kind::Byte:
      return 17;
    case Kind::Boolean:
      return 11;
    case Kind::Double:
    case Kind::Auto:
      return 5;
    case Kind::Single:
      return 4;
    case Kind::Currency:
      return 6;
    case Kind::Date:
      return 7;
    case Kind::Text:
      return 202;
    case Kind::Binary:
      return 205;
  }
  return 12;
}

Variant integer_value(sqlite3_int64 v) {
  if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
  return Variant(static_cast<double>(v));
}

Variant column_value(sqlite3_stmt* st, int i, Kind kind) {
  int storage = sqlite3_column_type(st, i);
  if (storage == SQLITE_NULL) return Variant::null();
  bool number = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
  auto text = [&] {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return from_utf8(std::string_view(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st, i))));
  };
  switch (kind) {
    case Kind::Long:
      if (storage == SQLITE_INTEGER) return integer_value(sqlite3_column_int64(st, i));
      break;
    case Kind::Integer: {
      sqlite3_int64 v = sqlite3_column_int64(st, i);
      if (storage == SQLITE_INTEGER && v >= INT16_MIN && v <= INT16_MAX) return Variant(static_cast<int16_t>(v));
      break;
    }
    case Kind::Byte: {
      sqlite3_int64 v = sqlite3_column_int64(st, i);
      if (storage == SQLITE_INTEGER && v >= 0 && v <= 255) return Variant(static_cast<uint8_t>(v));
      break;
    }
    case Kind::Boolean:
      if (number) return Variant(sqlite3_column_double(st, i) != 0);
      break;
    case Kind::Double:
      if (number) return Variant(sqlite3_column_double(st, i));
      break;
    case Kind::Single:
      if (number) return Variant(static_cast<float>(sqlite3_column_double(st, i)));
      break;
    case Kind::Currency:
      if (number) return Variant(Currency{std::llround(sqlite3_column_double(st, i) * 10000.0)});
      break;
    case Kind::Date:
      if (number) return Variant::date(sqlite3_column_double(st, i));
      if (storage == SQLITE_TEXT) {
        Text t = text();
        if (auto d = parse_date(t)) return Variant::date(*d);
        return Variant(std::move(t));
      }
      break;
    case Kind::Text:
      if (storage != SQLITE_BLOB) return Variant(text());
      break;
    case Kind::Binary: {
      const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(st, i));
      return Variant(Bytes(p, p + sqlite3_column_bytes(st, i)));
    }
    case Kind::Auto:
      break;
  }
  // The value's own storage class when the declaration does not fit it.
  switch (storage) {
    case SQLITE_INTEGER:
      return integer_value(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(st, i));
    case SQLITE_BLOB: {
      const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(st, i));
      return Variant(Bytes(p, p + sqlite3_column_bytes(st, i)));
    }
    default:
      return Variant(text());
  }
}

// ---------------------------------------------------------------- result snapshot

struct Column {
  Text name;
  Kind kind;
};

struct Snapshot {
  std::vector<Column> columns;
  std::vector<std::vector<Variant>> rows;
};

using StmtPtr = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// A command's "?" markers take their values in order; the marker count
// runs on across the statements of one command text.
void bind_value(sqlite3* db, sqlite3_stmt* st, int index, const Variant& value) {
  Variant v = value.value();
  int rc;
  switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
      rc = sqlite3_bind_null(st, index);
      break;
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Byte:
      rc = sqlite3_bind_int64(st, index, v.raw_int());
      break;
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
      rc = sqlite3_bind_double(st, index, v.to_double());
      break;
    case VarType::Date:
      rc = sqlite3_bind_text(st, index, iso_date(parts_from_ole_date(v.to_date())).c_str(), -1, SQLITE_TRANSIENT);
      break;
    case VarType::ByteArray:
      rc = sqlite3_bind_blob(st, index, v.bytes().data(), static_cast<int>(v.bytes().size()), SQLITE_TRANSIENT);
      break;
    default: {
      std::string u = to_utf8(v.to_text());
      rc = sqlite3_bind_text(st, index, u.data(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
    }
  }
  if (rc != SQLITE_OK) raise_provider(db);
}

// Runs every statement of `sql`; the rows of the last one that returns
// columns make the snapshot (none when no statement returns any).
std::optional<Snapshot> run(sqlite3* db, TextView sql, int64_t* changes, const VariantArray* params = nullptr) {
  size_t next_param = 0;
  std::string text = rename_join_keyword_calls(to_utf8(sql));
  const char* tail = text.c_str();
  std::optional<Snapshot> result;
  int64_t changed = 0;
  while (tail && *tail) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, tail, -1, &raw, &tail) != SQLITE_OK) raise_provider(db);
    if (!raw) break;  // only blanks or a comment left
    StmtPtr st(raw, &sqlite3_finalize);
    for (int p = 1, markers = sqlite3_bind_parameter_count(raw); p <= markers; ++p, ++next_param) {
      if (!params || next_param >= params->size())
        raise(kDataInvalidArgument, u"No value given for one or more required parameters.");
      bind_value(db, raw, p, (*params)[next_param]);
    }
    int n = sqlite3_column_count(raw);
    Snapshot snap;
    for (int i = 0; i < n; ++i)
      snap.columns.push_back({from_utf8(sqlite3_column_name(raw, i)), kind_of(sqlite3_column_decltype(raw, i))});
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
      std::vector<Variant> row;
      row.reserve(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) row.push_back(column_value(raw, i, snap.columns[static_cast<size_t>(i)].kind));
      snap.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) raise_provider(db);
    if (n > 0)
      result = std::move(snap);
    else
      changed += sqlite3_changes(db);
  }
  if (changes) *changes = changed;
  return result;
}

// ---------------------------------------------------------------- Connection

class Recordset;

class Connection : public DynamicObject {
 public:
  Connection() {
    define(u"Open", [this](int, Args a) -> Variant {
      if (db_) raise(kDataAlreadyOpen, kOpenText);
      if (given(a, 0)) conn_string_ = a[0].to_text();
      open(conn_string_);
      return {};
    });
    define(u"Close", [this](int, Args) -> Variant {
      if (!db_) raise(kDataClosed, kClosedText);
      db_.reset();
      return {};
    });
    define(u"State", [this](int, Args) -> Variant { return Variant(db_ ? 1 : 0); });
    define(u"ConnectionString", [this](int kind, Args a) -> Variant {
      if (kind & (kPut | kPutRef)) {
        if (db_) raise(kDataAlreadyOpen, kOpenText);
        conn_string_ = a.back().to_text();
        return {};
      }
      return Variant(conn_string_);
    });
    define(u"Execute", [this](int, Args a) -> Variant { return execute(a); });
    define(u"BeginTrans", [this](int, Args) -> Variant {
      exec_plain("BEGIN");
      return Variant(1);
    });
    define(u"CommitTrans", [this](int, Args) -> Variant {
      exec_plain("COMMIT");
      return {};
    });
    define(u"RollbackTrans", [this](int, Args) -> Variant {
      exec_plain("ROLLBACK");
      return {};
    });
  }

  void open(TextView conn_string) {
    Text file = database_of(conn_string);
    std::optional<std::string> path = file.empty() ? std::optional<std::string>(":memory:") : database_path(file);
    if (!path) throw ScriptError(kDataProvider, u"Could not find file '" + file + u"'.");
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path->c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::shared_ptr<sqlite3> db(raw, &sqlite3_close_v2);
    if (rc != SQLITE_OK)
      throw ScriptError(kDataProvider, u"Could not open database '" + file + u"': " + from_utf8(sqlite3_errmsg(raw)));
    sqlite3_busy_timeout(raw, 5000);
    register_functions(raw);
    db_ = std::move(db);
  }

  sqlite3* db() const {
    if (!db_)
      raise(
          kDataBadConnection,
          u"The connection cannot be used to perform this operation. It is either closed or invalid in this context.");
    return db_.get();
  }

  Variant execute(Args a);

 private:
  void exec_plain(const char* sql) {
    if (sqlite3_exec(db(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) raise_provider(db_.get());
  }

  std::shared_ptr<sqlite3> db_;
  Text conn_string_;
};

// ---------------------------------------------------------------- Recordset

class Recordset : public DynamicObject {
 public:
  Recordset();

  void fill(Snapshot snap, TextView source, int cursor, int lock) {
    snap_ = std::move(snap);
    source_ = Text(source);
    cursor_ = cursor;
    lock_ = lock;
    open_ = true;
    pos_ = 0;
  }

  // The current row's value of column c.
  Variant value(size_t c) const {
    check_open();
    if (!has_current()) raise(kDataBofOrEof, kBofEofText);
    return snap_.rows[static_cast<size_t>(pos_)][c];
  }
  const Column& column(size_t c) const { return snap_.columns[c]; }

  // The ordinal of a field given by name (case-insensitive) or by number.
  size_t ordinal(const Variant& key) const {
    check_open();
    if (key.is_numeric_type()) {
      int32_t i = key.to_i32();
      if (i >= 0 && static_cast<size_t>(i) < snap_.columns.size()) return static_cast<size_t>(i);
    } else {
      Text name = key.to_text();
      for (size_t c = 0; c < snap_.columns.size(); ++c)
        if (iequals_ascii(snap_.columns[c].name, name)) return c;
    }
    raise(kDataItemNotFound, u"Item cannot be found in the collection corresponding to the requested name or ordinal.");
  }

  Variant field(size_t c);
  Variant fields();
  size_t field_count() const {
    check_open();
    return snap_.columns.size();
  }

 private:
  void check_open() const {
    if (!open_) raise(kDataClosed, kClosedText);
  }
  int64_t count() const { return static_cast<int64_t>(snap_.rows.size()); }
  bool eof() const { return pos_ >= count(); }
  bool bof() const { return pos_ < 0 || snap_.rows.empty(); }
  bool has_current() const { return !eof() && !bof(); }
  int32_t record_count() const { return cursor_ == kForwardOnly ? -1 : static_cast<int32_t>(count()); }

  void open(Args a);

  Snapshot snap_;
  bool open_ = false;
  int64_t pos_ = 0;
  int cursor_ = kForwardOnly;
  int lock_ = kReadOnly;
  int32_t page_size_ = 10;
  int cursor_location_ = 2;
  Text source_;
  Variant connection_;
};

// One column of a record set, reading the record set's current row.
class Field : public DynamicObject {
 public:
  Field(std::shared_ptr<Recordset> rs, size_t c) : rs_(std::move(rs)), c_(c) {
    define(
        u"Value",
        [this](int kind, Args) -> Variant {
          if (kind & (kPut | kPutRef))
            raise(kDataNotSupported,
                  u"Current Recordset does not support updating. This may be a limitation of the provider, or of the "
                  u"selected locktype.");
          return rs_->value(c_);
        },
        true);
    define(u"Name", [this](int, Args) -> Variant { return Variant(rs_->column(c_).name); });
    define(u"Type",
           [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(ado_type(rs_->column(c_).kind))); });
    define(u"ActualSize", [this](int, Args) -> Variant {
      Variant v = rs_->value(c_);
      if (v.is_null()) return Variant(0);
      if (v.type() == VarType::ByteArray) return Variant(static_cast<int32_t>(v.bytes().size()));
      return Variant(static_cast<int32_t>(v.to_text().size()));
    });
  }

 private:
  std::shared_ptr<Recordset> rs_;
  size_t c_;
};

class Fields : public DynamicObject {
 public:
  explicit Fields(std::shared_ptr<Recordset> rs) : rs_(std::move(rs)) {
    define(
        u"Item",
        [this](int, Args a) -> Variant {
          if (a.empty()) throw ScriptError(kArgumentNotOptional);
          return rs_->field(rs_->ordinal(a[0]));
        },
        true);
    define(u"Count", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(rs_->field_count())); });
  }
  VariantArray enumerate() override {
    VariantArray all;
    for (size_t c = 0; c < rs_->field_count(); ++c) all.push_back(rs_->field(c));
    return all;
  }

 private:
  std::shared_ptr<Recordset> rs_;
};

Variant Recordset::field(size_t c) {
  check_open();
  return Variant(ObjectPtr(std::make_shared<Field>(std::static_pointer_cast<Recordset>(shared_from_this()), c)));
}

Variant Recordset::fields() {
  check_open();
  return Variant(ObjectPtr(std::make_shared<Fields>(std::static_pointer_cast<Recordset>(shared_from_this()))));
}

Recordset::Recordset() {
  define(
      u"Fields",
      [this](int, Args a) -> Variant {
        if (a.empty()) return fields();
        return field(ordinal(a[0]));
      },
      true);
  define(u"Open", [this](int, Args a) -> Variant {
    open(a);
    return {};
  });
  define(u"Close", [this](int, Args) -> Variant {
    check_open();
    open_ = false;
    snap_ = {};
    return {};
  });
  define(u"State", [this](int, Args) -> Variant { return Variant(open_ ? 1 : 0); });
  define(u"EOF", [this](int, Args) -> Variant {
    check_open();
    return Variant(eof());
  });
  define(u"BOF", [this](int, Args) -> Variant {
    check_open();
    return Variant(bof());
  });
  define(u"MoveNext", [this](int, Args) -> Variant {
    check_open();
    if (eof()) raise(kDataBofOrEof, kBofEofText);
    ++pos_;
    return {};
  });
  define(u"MovePrevious", [this](int, Args) -> Variant {
    check_open();
    if (bof()) raise(kDataBofOrEof, kBofEofText);
    --pos_;
    return {};
  });
  define(u"MoveFirst", [this](int, Args) -> Variant {
    check_open();
    pos_ = 0;
    return {};
  });
  define(u"MoveLast", [this](int, Args) -> Variant {
    check_open();
    if (snap_.rows.empty()) raise(kDataBofOrEof, kBofEofText);
    pos_ = count() - 1;
    return {};
  });
  define(u"RecordCount", [this](int, Args) -> Variant {
    check_open();
    return Variant(record_count());
  });
  define(u"PageSize", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      int32_t n = a.back().to_i32();
      if (n < 1) raise(kDataInvalidArgument, kArgumentText);
      page_size_ = n;
      return {};
    }
    return Variant(page_size_);
  });
  define(u"PageCount", [this](int, Args) -> Variant {
    check_open();
    int32_t n = record_count();
    if (n < 0) return Variant(-1);
    return Variant(static_cast<int32_t>((n + page_size_ - 1) / page_size_));
  });
  define(u"AbsolutePage", [this](int kind, Args a) -> Variant {
    check_open();
    if (kind & kPut) {
      int32_t page = a.back().to_i32();
      if (page < 1) raise(kDataInvalidArgument, kArgumentText);
      int64_t at = static_cast<int64_t>(page - 1) * page_size_;
      pos_ = at < count() ? at : count();
      return {};
    }
    if (snap_.rows.empty() || eof()) return Variant(-3);  // adPosEOF
    if (bof()) return Variant(-2);                        // adPosBOF
    return Variant(static_cast<int32_t>(pos_ / page_size_ + 1));
  });
  define(u"AbsolutePosition", [this](int kind, Args a) -> Variant {
    check_open();
    if (kind & kPut) {
      int32_t p = a.back().to_i32();
      if (p < 1 || p > count()) raise(kDataInvalidArgument, kArgumentText);
      pos_ = p - 1;
      return {};
    }
    if (snap_.rows.empty() || eof()) return Variant(-3);
    if (bof()) return Variant(-2);
    return Variant(static_cast<int32_t>(pos_ + 1));
  });
  auto setting = [this](int* slot) {
    return [this, slot](int kind, Args a) -> Variant {
      if (kind & kPut) {
        if (open_) raise(kDataAlreadyOpen, kOpenText);
        *slot = a.back().to_i32();
        return {};
      }
      return Variant(static_cast<int32_t>(*slot));
    };
  };
  define(u"CursorType", setting(&cursor_));
  define(u"LockType", setting(&lock_));
  define(u"CursorLocation", setting(&cursor_location_));
  define(u"Source", [this](int kind, Args a) -> Variant {
    if (kind & (kPut | kPutRef)) {
      if (open_) raise(kDataAlreadyOpen, kOpenText);
      source_ = a.back().to_text();
      return {};
    }
    return Variant(source_);
  });
  define(u"ActiveConnection", [this](int kind, Args a) -> Variant {
    if (kind & (kPut | kPutRef)) {
      connection_ = a.back();
      return {};
    }
    return connection_;
  });
  define(u"Item", [this](int, Args a) -> Variant {
    if (a.empty()) throw ScriptError(kArgumentNotOptional);
    return field(ordinal(a[0]));
  });
}

void Recordset::open(Args a) {
  if (open_) raise(kDataAlreadyOpen, kOpenText);
  if (given(a, 0)) source_ = a[0].to_text();
  if (given(a, 1)) connection_ = a[1];
  if (given(a, 2)) cursor_ = a[2].to_i32();
  if (given(a, 3)) lock_ = a[3].to_i32();
  if (source_.empty()) raise(kDataInvalidArgument, kArgumentText);
  std::shared_ptr<Connection> conn;
  if (connection_.is_object()) {
    conn = std::dynamic_pointer_cast<Connection>(connection_.object());
    if (!conn) raise(kDataInvalidArgument, kArgumentText);
  } else if (connection_.type() == VarType::String && !connection_.text().empty()) {
    conn = std::make_shared<Connection>();
    conn->open(connection_.text());
    connection_ = Variant(ObjectPtr(conn));
  } else {
    raise(kDataBadConnection,
          u"The connection cannot be used to perform this operation. It is either closed or invalid in this context.");
  }
  std::optional<Snapshot> snap = run(conn->db(), source_, nullptr);
  // A statement that returns no rows leaves the record set closed, as the
  // provider does.
  if (!snap) return;
  fill(std::move(*snap), source_, cursor_, lock_);
}

Variant Connection::execute(Args a) {
  if (a.empty() || a[0].is_missing()) throw ScriptError(kArgumentNotOptional);
  Text sql = a[0].to_text();
  int64_t changes = 0;
  std::optional<Snapshot> snap = run(db(), sql, &changes);
  if (a.size() > 1 && !a[1].is_missing()) a[1] = Variant(static_cast<int32_t>(changes));
  auto rs = std::make_shared<Recordset>();
  if (snap) rs->fill(std::move(*snap), sql, kForwardOnly, kReadOnly);
  return Variant(ObjectPtr(rs));
}

// ---------------------------------------------------------------- Command

// Statements with "?" markers whose values come with Execute, so that
// values never become part of the SQL text.
class Command : public DynamicObject {
 public:
  Command() {
    define(u"ActiveConnection", [this](int kind, Args a) -> Variant {
      if (kind & (kPut | kPutRef)) {
        connection_ = a.back();
        return {};
      }
      return connection_;
    });
    define(u"CommandText", [this](int kind, Args a) -> Variant {
      if (kind & (kPut | kPutRef)) {
        text_ = a.back().to_text();
        return {};
      }
      return Variant(text_);
    });
    // Execute([RecordsAffected], [Parameters], [Options])
    define(u"Execute", [this](int, Args a) -> Variant {
      auto conn = connection_.is_object() ? std::dynamic_pointer_cast<Connection>(connection_.object()) : nullptr;
      if (!conn) raise(kDataBadConnection, u"The connection cannot be used to perform this operation.");
      VariantArray params;
      if (given(a, 1)) {
        Variant p = a[1].value();
        if (p.type() == VarType::Array)
          params = p.array();
        else
          params.push_back(p);
      }
      int64_t changes = 0;
      std::optional<Snapshot> snap = run(conn->db(), text_, &changes, &params);
      if (given(a, 0)) a[0] = Variant(static_cast<int32_t>(changes));
      auto rs = std::make_shared<Recordset>();
      if (snap) rs->fill(std::move(*snap), text_, kForwardOnly, kReadOnly);
      return Variant(ObjectPtr(rs));
    });
  }

 private:
  Variant connection_;
  Text text_;
};

}  // namespace

void register_record_set_classes(ClassRegistry& r) {
  r.add(u"ADODB.Command", [] { return ObjectPtr(std::make_shared<Command>()); });
  r.add(u"ADODB.Connection", [] { return ObjectPtr(std::make_shared<Connection>()); });
  r.add(u"ADODB.Recordset", [] { return ObjectPtr(std::make_shared<Recordset>()); });
}

}  // namespace brevane
