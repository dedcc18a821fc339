// The façade members this subsystem implements.
#include "frame/facade.h"
#include "text/convert.h"
#include "text/formatters.h"

namespace brevane {

std::vector<Binding> text_bindings() {
  return {
      // Character-set and byte conversions.
      bind<&CommCodeUtf8ToUnicode>(u"CommCodeUtf8ToUnicode"),
      bind<&CommCodeUnicodeToUtf8>(u"CommCodeUnicodeToUtf8"),
      bind<&CommUrlEncode_GBToUtf8>(u"CommUrlEncode_GBToUtf8"),
      bind<&CommUrlDecode_GBToUtf8>(u"CommUrlDecode_GBToUtf8"),
      bind<&CommBinaryToString>(u"CommBinaryToString"),
      bind<&CommRsBinaryToString>(u"CommRsBinaryToString"),
      bind<&CommMultiByteToBinary>(u"CommMultiByteToBinary"),
      // Numbers, dates and small formatters
      bind<&CommDecToHex>(u"CommDecToHex"),
      bind<&CommDecToBin>(u"CommDecToBin"),
      bind<&CommStringToNumeric>(u"CommStringToNumeric"),
      bind<&CommGetDate>(u"CommGetDate"),
      bind<&CommPutDate>(u"CommPutDate"),
      bind<&CommGetDateTime>(u"CommGetDateTime"),
      bind<&CommPutDateTime>(u"CommPutDateTime"),
      bind<&CommGetIp>(u"CommGetIp"),
      bind<&CommGetFileSize>(u"CommGetFileSize"),
  };
}

}  // namespace brevane
