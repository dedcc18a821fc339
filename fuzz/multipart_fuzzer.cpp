// The multipart parsers against any body a client could send, handed over
// by the fake Request in chunk sizes the fuzzer picks.
//
// Input: byte 0 picks the largest chunk BinaryRead hands out, byte 1 the
// parser's Mode and limits, the rest is the body.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/registry.h"
#include "frame/page_context.h"
#include "kit/hostkit.h"

using namespace brevane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const size_t chunks[] = {1, 2, 3, 7, 64, 4096, 16383, 16384, SIZE_MAX};
  auto req = kit::FakeRequest::make();
  req->set_multipart("x", std::string(reinterpret_cast<const char*>(data + 2), size - 2));
  req->max_read = chunks[data[0] % (sizeof chunks / sizeof chunks[0])];
  if (data[1] & 0x10) req->server_variables[u"SERVER_SOFTWARE"] = u"Microsoft-IIS/5.0";
  try {
    Variant parser(create_object(u"Brevane.Zelto_Class_UploadFile"));
    if (data[1] & 1) put(parser, u"Mode", Variant(1));
    if (data[1] & 2) put(parser, u"MaxSize", Variant(int32_t(size / 2)));
    if (data[1] & 4) put(parser, u"SingleSize", Variant(int32_t(size / 3)));
    if (data[1] & 8) put(parser, u"Exe", Variant(u"pic"));
    if (data[1] & 0x20) put(parser, u"CharSet", Variant(u"utf-8"));
    call(parser, u"GetData", {kit::var(req)});
    get(parser, u"Description");
    Variant forms = call(parser, u"Forms", {Variant(u"-1")});
    for (const Variant& key : forms.object()->enumerate()) call(parser, u"Forms", {key});
    Variant files = call(parser, u"Files", {Variant(u"-1")});
    for (const Variant& key : files.object()->enumerate()) {
      Variant item = call(parser, u"Files", {key});
      try {
        call(item, u"GetBytes");
      } catch (const ScriptError&) {
        // Mode 1 leaves the stream closed.
      }
    }
  } catch (const ScriptError&) {
    // Malformed bodies are reported as run-time errors.
  }

  // The image parser reads the same body from the page's request.
  auto again = kit::FakeRequest::make();
  again->set_multipart("x", std::string(reinterpret_cast<const char*>(data + 2), size - 2));
  again->max_read = req->max_read;
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
