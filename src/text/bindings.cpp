// The façade members this subsystem implements.
#include "frame/facade.h"
#include "text/convert.h"
#include "text/encode.h"
#include "text/formatters.h"
#include "text/measure.h"
#include "text/pinyin.h"

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
      // Markup encoders.
      bind<&CommHtmlEncode>(u"CommHtmlEncode"),
      bind<&CommHtmlEncode2>(u"CommHtmlEncode2"),
      bind<&CommHtmlUnEncode2>(u"CommHtmlUnEncode2"),
      bind<&CommNoHtml>(u"CommNoHtml"),
      bind<&CommEncodeString>(u"CommEncodeString"),
      bind<&CommEncodeString2>(u"CommEncodeString2"),
      bind<&CommUnEncodeString>(u"CommUnEncodeString"),
      bind<&CommJoinChar>(u"CommJoinChar"),
      // Pinyin.
      bind<&CommGetPyChar>(u"CommGetPyChar"),
      bind<&CommGetPyString>(u"CommGetPyString"),
      bind<&CommGetQPyString>(u"CommGetQPyString"),
      // Measuring and cutting.
      bind<&CommGetStringLength>(u"CommGetStringLength"),
      bind<&CommGetStringLength2>(u"CommGetStringLength2"),
      bind<&CommGetStringLeft>(u"CommGetStringLeft"),
      bind<&CommGetStringRight>(u"CommGetStringRight"),
      bind<&CommGetTopicStr>(u"CommGetTopicStr"),
      bind<&CommGetString>(u"CommGetString"),
      bind<&CommStrExtract>(u"CommStrExtract"),
      bind<&CommReplaceAt>(u"CommReplaceAt"),
      bind<&CommReplaceExp>(u"CommReplaceExp"),
      bind<&CommJoin>(u"CommJoin"),
  };
}

}  // namespace brevane
