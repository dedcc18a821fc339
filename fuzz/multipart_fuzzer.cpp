// The multipart parsers against any body a client could send, handed over
// by the fake Request in chunk sizes the fuzzer picks.
//
// Input: byte 0 picks the largest chunk BinaryRead hands out, byte 1 the
// parser's limits, the rest is the body. Each body is parsed read in pieces
// and read in one call; the two must agree, and without limits they must
// agree with the plain reading of the test kit's reference parser.
//
// The declared boundary is the body's first line without its "--" (so that
// the corpus's bodies parse), or "x" when byte 1 has bit 0x40 or the line
// does not start with "--".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/registry.h"
#include "core/vbrt.h"
#include "frame/page_context.h"
#include "kit/hostkit.h"
#include "kit/multipart_reference.h"
#include "upload/upload_support.h"

using namespace brevane;

namespace {

// What a page sees of one parse, as text: the outcome, the fields, and where
// each item's bytes lie.
std::string outcome(const std::string& body, const std::string& boundary, size_t chunk, uint8_t flags, int mode) {
  auto req = kit::FakeRequest::make();
  req->set_multipart(boundary, body);
  req->max_read = chunk;
  if (flags & 0x10) req->server_variables[u"SERVER_SOFTWARE"] = u"Microsoft-IIS/5.0";
  std::string out;
  try {
    Variant parser(create_object(u"Brevane.Zelto_Class_UploadFile"));
    put(parser, u"Mode", Variant(mode));
    if (flags & 2) put(parser, u"MaxSize", Variant(int32_t(body.size() / 2)));
    if (flags & 4) put(parser, u"SingleSize", Variant(int32_t(body.size() / 3)));
    if (flags & 8) put(parser, u"Exe", Variant(u"pic"));
    if (flags & 0x20) put(parser, u"CharSet", Variant(u"utf-8"));
    call(parser, u"GetData", {kit::var(req)});
    out = to_utf8(get(parser, u"ErrorID").to_text()) + to_utf8(get(parser, u"Description").to_text());
    Variant forms = call(parser, u"Forms", {Variant(u"-1")});
    for (const Variant& key : forms.object()->enumerate())
      out += "|" + to_utf8(key.to_text()) + "=" + to_utf8(call(parser, u"Forms", {key}).to_text());
    Variant files = call(parser, u"Files", {Variant(u"-1")});
    for (const Variant& key : files.object()->enumerate()) {
      Variant item = call(parser, u"Files", {key});
      out += "|" + to_utf8(get(item, u"LocalName").to_text()) + "@" + to_utf8(get(item, u"Position").to_text()) + "+" +
             to_utf8(get(item, u"Size").to_text());
      if (mode == 0) {
        Variant bytes = call(item, u"GetBytes");
        if (bytes.bytes().size() != static_cast<size_t>(get(item, u"Size").to_i32())) __builtin_trap();
      }
    }
  } catch (const ScriptError& e) {
    // Malformed bodies are reported as run-time errors.
    out = "error " + std::to_string(e.number());
  }
  return out;
}

// The parse as fields and where file bytes lie: what the reference can tell.
std::string structure(const std::string& body, const std::string& boundary, uint8_t flags) {
  auto req = kit::FakeRequest::make();
  req->set_multipart(boundary, body);
  try {
    Variant parser(create_object(u"Brevane.Zelto_Class_UploadFile"));
    put(parser, u"Mode", Variant(int16_t(1)));
    if (flags & 0x20) put(parser, u"CharSet", Variant(u"utf-8"));
    call(parser, u"GetData", {kit::var(req)});
    std::string out = to_utf8(get(parser, u"ErrorID").to_text());
    Variant forms = call(parser, u"Forms", {Variant(u"-1")});
    for (const Variant& key : forms.object()->enumerate())
      out += "|" + to_utf8(key.to_text()) + "=" + to_utf8(call(parser, u"Forms", {key}).to_text());
    Variant files = call(parser, u"Files", {Variant(u"-1")});
    for (const Variant& key : files.object()->enumerate()) {
      Variant item = call(parser, u"Files", {key});
      out += "|@" + to_utf8(get(item, u"Position").to_text()) + "+" + to_utf8(get(item, u"Size").to_text());
    }
    return out;
  } catch (const ScriptError& e) {
    return "error " + std::to_string(e.number());
  }
}

// The same from the reference reading, with the page's rules on top: names
// in lower case, repeated fields joined by ",", a file part without a file
// name left out.
std::string expected(const std::string& body, const std::string& content_type_boundary, uint8_t flags) {
  if (body.empty()) return "6";
  std::string boundary = kit::reference_boundary("multipart/form-data; boundary=" + content_type_boundary);
  if (boundary.empty()) return "error 5";
  kit::ReferenceBody parsed = kit::reference_parse(body, boundary);
  if (parsed.status == kit::ReferenceBody::Malformed) return "error 5";
  if (parsed.status == kit::ReferenceBody::Empty) return "6";
  const Text charset = flags & 0x20 ? u"utf-8" : u"GB2312";
  auto decode = [&](std::string_view b) {
    return upload::decode_charset(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(b.data()), b.size()),
                                  charset);
  };
  std::vector<std::pair<Text, Text>> forms;
  std::string files;
  for (const kit::ReferencePart& part : parsed.parts) {
    kit::ReferenceHeaders h = kit::reference_headers(decode(part.headers));
    if (!h.has_name) continue;
    if (h.has_file_name) {
      if (h.file_name.find_first_not_of(u' ') != Text::npos)
        files += "|@" + std::to_string(part.data_at) + "+" + std::to_string(part.length);
      continue;
    }
    Text name = vb::LCase(h.name), value = decode(std::string_view(body).substr(part.data_at, part.length));
    auto it = std::find_if(forms.begin(), forms.end(), [&](auto& f) { return f.first == name; });
    if (it == forms.end())
      forms.emplace_back(name, value);
    else
      it->second += u"," + value;
  }
  std::string out = "0";
  for (auto& [k, v] : forms) out += "|" + to_utf8(k) + "=" + to_utf8(v);
  return out + files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const size_t chunks[] = {1, 2, 3, 7, 64, 4096, 16383, 16384, SIZE_MAX};
  std::string body(reinterpret_cast<const char*>(data + 2), size - 2);
  size_t chunk = chunks[data[0] % (sizeof chunks / sizeof chunks[0])];
  std::string boundary = "x";
  size_t line = body.find("\r\n");
  if (!(data[1] & 0x40) && body.starts_with("--") && line != std::string::npos && line > 2)
    boundary = body.substr(2, line - 2);
  // Read in pieces (boundaries indexed as they arrive) or in one call
  // (boundaries found by scanning): a page must not be able to tell.
  if (outcome(body, boundary, chunk, data[1], 0) != outcome(body, boundary, SIZE_MAX, data[1], 1)) __builtin_trap();
  if (structure(body, boundary, data[1]) != expected(body, boundary, data[1])) __builtin_trap();

  // The image parser reads the same body from the page's request.
  auto again = kit::FakeRequest::make();
  again->set_multipart(boundary, body);
  again->max_read = chunk;
  PageScope page(PageContext{kit::var(again), {}, {}, {}, {}});
  Variant images(create_object(u"Brevane.Zelto_UploadImage"));
  for (int16_t i = 0; i < 4; ++i) {
    Variant name(u"f"), number(i);
    Variant item = call(images, u"binrequest", {name, number});
    std::vector<Variant> out(5);
    try {
      invoke_by_name(item, u"IsImage", kMethod, out);
      get(item, u"Value");
    } catch (const ScriptError&) {
    }
  }
  return 0;
}
