#include "kit/hostkit.h"

#include <algorithm>

#include "component/component.h"
#include "core/vbrt.h"

namespace brevane::kit {

namespace {

// Tests create the public classes by name, as the front ends do.
const bool g_classes_in_use = (use_component_classes(), true);

Text upper(TextView s) { return vb::UCase(s); }
Text lower(TextView s) { return vb::LCase(s); }

}  // namespace

FakeCollection::FakeCollection() {
  define(
      u"Item",
      [this](int, Args a) -> Variant {
        if (a.empty()) {
          Text all;
          for (auto& [k, v] : items) all += (all.empty() ? u"" : u"&") + k + u"=" + v;
          return all;
        }
        if (a[0].is_numeric_type()) {
          int32_t i = a[0].to_i32();
          if (i < 1 || static_cast<size_t>(i) > items.size()) throw ScriptError(kSubscriptOutOfRange);
          return items[static_cast<size_t>(i - 1)].second;
        }
        Text key = a[0].to_text();
        Text joined;
        bool found = false;
        for (auto& [k, v] : items)
          if (iequals_ascii(k, key)) {
            joined += (found ? u", " : u"") + v;
            found = true;
          }
        return found ? Variant(joined) : Variant();
      },
      true);
  define(u"Count", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(items.size())); });
}

void FakeCollection::add(TextView key, TextView value) { items.emplace_back(Text(key), Text(value)); }

VariantArray FakeCollection::enumerate() {
  VariantArray keys;
  for (auto& item : items) {
    const Text& k = item.first;  // a named reference: clang 14 cannot capture a structured binding
    if (std::none_of(keys.begin(), keys.end(), [&](const Variant& x) { return iequals_ascii(x.text(), k); }))
      keys.emplace_back(k);
  }
  return keys;
}

FakeRequest::FakeRequest() {
  server_variables[u"REQUEST_METHOD"] = u"GET";
  server_variables[u"SERVER_SOFTWARE"] = u"Microsoft-IIS/6.0";
  server_variables[u"SERVER_NAME"] = u"localhost";
  define(u"TotalBytes", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(body_.size())); });
  define(u"BinaryRead", [this](int, Args a) -> Variant {
    if (a.empty()) throw ScriptError(kArgumentNotOptional);
    ++binary_reads;
    int32_t want = a[0].to_i32();
    if (want < 0) throw ScriptError(kInvalidCall);
    size_t n = std::min({static_cast<size_t>(want), body_.size() - pos_, max_read});
    // One memmove, not a converting loop from char.
    const auto* from = reinterpret_cast<const uint8_t*>(body_.data()) + pos_;
    Bytes b(from, from + n);
    pos_ += n;
    a[0] = Variant(static_cast<int32_t>(n));
    return Variant(std::move(b));
  });
  define(u"ServerVariables", [this](int, Args a) -> Variant {
    if (a.empty()) throw ScriptError(kArgumentNotOptional);
    auto it = server_variables.find(upper(a[0].to_text()));
    return it == server_variables.end() ? Text() : it->second;
  });
  auto collection = [](std::shared_ptr<FakeCollection>& c) {
    return [&c](int, Args a) -> Variant {
      if (a.empty()) return Variant(std::static_pointer_cast<Object>(c));
      Variant r = c->invoke(kDispIdValue, kGet, a);
      return r.is_empty() ? Variant(Text()) : r;
    };
  };
  define(u"Form", collection(form));
  define(u"QueryString", collection(query));
  define(u"Cookies", collection(cookies));
  define(
      u"Item",
      [this](int, Args a) -> Variant {
        if (a.empty()) throw ScriptError(kArgumentNotOptional);
        for (auto* c : {query.get(), form.get(), cookies.get()}) {
          Variant r = c->invoke(kDispIdValue, kGet, a);
          if (!r.is_empty()) return r;
        }
        auto it = server_variables.find(upper(a[0].to_text()));
        return it == server_variables.end() ? Variant() : Variant(it->second);
      },
      true);
}

void FakeRequest::set_multipart(std::string boundary, std::string body) {
  server_variables[u"REQUEST_METHOD"] = u"POST";
  server_variables[u"HTTP_CONTENT_TYPE"] = u"multipart/form-data; boundary=" + from_utf8(boundary);
  server_variables[u"CONTENT_TYPE"] = server_variables[u"HTTP_CONTENT_TYPE"];
  set_body(std::move(body));
}

FakeResponse::FakeResponse() {
  define(u"Write", [this](int, Args a) -> Variant {
    ++write_calls;
    if (!ended) output += a.empty() ? Text() : a[0].to_text();
    return {};
  });
  define(u"BinaryWrite", [this](int, Args a) -> Variant {
    ++binary_write_calls;
    if (!ended && !a.empty()) {
      const Bytes& b = a[0].bytes();
      binary.append(b.begin(), b.end());
    }
    return {};
  });
  define(u"End", [this](int, Args) -> Variant {
    ended = true;
    return {};
  });
  define(u"Clear", [this](int, Args) -> Variant {
    output.clear();
    binary.clear();
    cleared = true;
    return {};
  });
  define(u"Flush", [this](int, Args) -> Variant {
    ++flush_calls;
    return {};
  });
  define(u"Redirect", [this](int, Args a) -> Variant {
    redirected_to = a.empty() ? Text() : a[0].to_text();
    ended = true;
    return {};
  });
  define(u"AddHeader", [this](int, Args a) -> Variant {
    if (a.size() < 2) throw ScriptError(kArgumentNotOptional);
    headers.emplace_back(a[0].to_text(), a[1].to_text());
    return {};
  });
  for (auto name :
       {u"ContentType", u"CharSet", u"Buffer", u"Expires", u"ExpiresAbsolute", u"CacheControl", u"Status"}) {
    Text key = lower(name);
    define(name, [this, key](int kind, Args a) -> Variant {
      if (kind & kPut) {
        properties[key] = a.back();
        return {};
      }
      auto it = properties.find(key);
      return it == properties.end() ? Variant() : it->second;
    });
  }
}

FakeServer::FakeServer(Text r, Text page) : root(std::move(r)), page_folder(std::move(page)) {
  define(u"MapPath", [this](int, Args a) -> Variant {
    if (a.empty()) throw ScriptError(kArgumentNotOptional);
    Text p = a[0].to_text();
    if (p.empty() || (p[0] != u'/' && p[0] != u'\\')) p = page_folder + (page_folder.ends_with(u'/') ? u"" : u"/") + p;
    std::vector<Text> parts;
    for (auto& piece : vb::Split(vb::Replace(p, u"\\", u"/"), u"/")) {
      if (piece.empty() || piece == u".") continue;
      if (piece == u"..") {
        if (parts.empty())
          throw ScriptError(kInvalidCall, u"The Path parameter for the MapPath method must be inside the site");
        parts.pop_back();
      } else {
        parts.push_back(piece);
      }
    }
    Text out = root;
    for (auto& piece : parts) out += u"\\" + piece;
    return out;
  });
  define(u"URLEncode", [](int, Args a) -> Variant {
    Text s = a.empty() ? Text() : a[0].to_text();
    Text out;
    for (char16_t c : s) {
      if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
        out.push_back(c);
      else if (c == u' ')
        out.push_back(u'+');
      else {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned>(c & 0xFF));
        out += T(buf);
      }
    }
    return out;
  });
  define(u"CreateObject",
         [](int, Args a) -> Variant { throw ScriptError(kCannotCreateObject, a.empty() ? Text() : a[0].to_text()); });
}

FakeStore::FakeStore() {
  define(
      u"Item",
      [this](int kind, Args a) -> Variant {
        if (a.empty()) throw ScriptError(kArgumentNotOptional);
        Text key = lower(a[0].to_text());
        if (kind & (kPut | kPutRef)) {
          if (a.size() < 2) throw ScriptError(kArgumentNotOptional);
          values[key] = a[1];
          return {};
        }
        auto it = values.find(key);
        return it == values.end() ? Variant() : it->second;
      },
      true);
  define(u"Contents",
         [this](int, Args) -> Variant { return Variant(std::static_pointer_cast<Object>(shared_from_this())); });
}

Variant& FakeStore::operator[](TextView key) { return values[lower(key)]; }

FakeConn::FakeConn() {
  define(u"Close", [this](int, Args) -> Variant {
    ++close_calls;
    if (closed) throw ScriptError(3704, u"Operation is not allowed when the object is closed.");
    closed = true;
    return {};
  });
  define(u"State", [this](int, Args) -> Variant { return Variant(closed ? 0 : 1); });
}

FakeRs::FakeRs() {
  define(u"Open", [this](int, Args a) -> Variant {
    last_sql = a.empty() ? Text() : a[0].to_text();
    open = true;
    pos = 0;
    return {};
  });
  define(u"Close", [this](int, Args) -> Variant {
    ++close_calls;
    if (!open) throw ScriptError(3704, u"Operation is not allowed when the object is closed.");
    open = false;
    return {};
  });
  define(u"State", [this](int, Args) -> Variant { return Variant(open ? 1 : 0); });
  define(u"EOF", [this](int, Args) -> Variant { return Variant(pos >= rows.size()); });
  define(u"BOF", [this](int, Args) -> Variant { return Variant(rows.empty()); });
  define(u"MoveNext", [this](int, Args) -> Variant {
    if (pos >= rows.size())
      throw ScriptError(3021, u"Either BOF or EOF is True, or the current record has been deleted.");
    ++pos;
    return {};
  });
  define(u"MoveFirst", [this](int, Args) -> Variant {
    pos = 0;
    return {};
  });
  define(u"RecordCount", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(rows.size())); });
  define(u"PageSize", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      page_size = a.back().to_i32();
      return {};
    }
    return Variant(page_size);
  });
  define(u"PageCount", [this](int, Args) -> Variant {
    return Variant(
        static_cast<int32_t>((rows.size() + static_cast<size_t>(page_size) - 1) / static_cast<size_t>(page_size)));
  });
  define(u"AbsolutePage", [this](int kind, Args a) -> Variant {
    if (kind & kPut) {
      pos = static_cast<size_t>(a.back().to_i32() - 1) * static_cast<size_t>(page_size);
      return {};
    }
    return Variant(static_cast<int32_t>(pos / static_cast<size_t>(page_size) + 1));
  });
  define(
      u"Item",
      [this](int, Args a) -> Variant {
        if (a.empty()) throw ScriptError(kArgumentNotOptional);
        if (pos >= rows.size())
          throw ScriptError(3021, u"Either BOF or EOF is True, or the current record has been deleted.");
        Text name = a[0].to_text();
        for (size_t c = 0; c < columns.size(); ++c)
          if (iequals_ascii(columns[c], name)) return rows[pos][c];
        throw ScriptError(3265,
                          u"Item cannot be found in the collection corresponding to the requested name or ordinal.");
      },
      true);
}

MultipartBody::MultipartBody(std::string boundary) : boundary_(std::move(boundary)) {}

MultipartBody& MultipartBody::field(std::string_view name, std::string_view value) {
  body_ += "--" + boundary_ + "\r\nContent-Disposition: form-data; name=\"" + std::string(name) + "\"\r\n\r\n";
  body_ += std::string(value) + "\r\n";
  return *this;
}

MultipartBody& MultipartBody::file(std::string_view name, std::string_view filename, std::string_view data,
                                   std::string_view content_type) {
  body_ += "--" + boundary_ + "\r\nContent-Disposition: form-data; name=\"" + std::string(name) + "\"; filename=\"" +
           std::string(filename) + "\"\r\nContent-Type: " + std::string(content_type) + "\r\n\r\n";
  body_ += std::string(data) + "\r\n";
  return *this;
}

MultipartBody& MultipartBody::raw(std::string_view bytes) {
  body_ += bytes;
  return *this;
}

}  // namespace brevane::kit
