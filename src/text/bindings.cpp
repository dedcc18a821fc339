// The façade members this subsystem implements.
#include "text/bindings.h"

#include "core/declared.h"
#include "text/convert.h"
#include "text/encode.h"
#include "text/formatters.h"
#include "text/measure.h"
#include "text/pinyin.h"

namespace brevane {

std::vector<Binding> text_bindings() {
  return {
      // Character-set and byte conversions.
      BREVANE_BIND(CommCodeUtf8ToUnicode),
      BREVANE_BIND(CommCodeUnicodeToUtf8),
      BREVANE_BIND(CommUrlEncode_GBToUtf8),
      BREVANE_BIND(CommUrlDecode_GBToUtf8),
      BREVANE_BIND(CommBinaryToString),
      BREVANE_BIND(CommRsBinaryToString),
      BREVANE_BIND(CommMultiByteToBinary),
      // Numbers, dates and small formatters
      BREVANE_BIND(CommDecToHex),
      BREVANE_BIND(CommDecToBin),
      BREVANE_BIND(CommStringToNumeric),
      BREVANE_BIND(CommGetDate),
      BREVANE_BIND(CommPutDate),
      BREVANE_BIND(CommGetDateTime),
      BREVANE_BIND(CommPutDateTime),
      BREVANE_BIND(CommGetIp),
      BREVANE_BIND(CommGetFileSize),
      // Markup encoders.
      BREVANE_BIND(CommHtmlEncode),
      BREVANE_BIND(CommHtmlEncode2),
      BREVANE_BIND(CommHtmlUnEncode2),
      BREVANE_BIND(CommNoHtml),
      BREVANE_BIND(CommEncodeString),
      BREVANE_BIND(CommEncodeString2),
      BREVANE_BIND(CommUnEncodeString),
      BREVANE_BIND(CommJoinChar),
      // Pinyin.
      BREVANE_BIND(CommGetPyChar),
      BREVANE_BIND(CommGetPyString),
      BREVANE_BIND(CommGetQPyString),
      // Measuring and cutting.
      BREVANE_BIND(CommGetStringLength),
      BREVANE_BIND(CommGetStringLength2),
      BREVANE_BIND(CommGetStringLeft),
      BREVANE_BIND(CommGetStringRight),
      BREVANE_BIND(CommGetTopicStr),
      BREVANE_BIND(CommGetString),
      BREVANE_BIND(CommStrExtract),
      BREVANE_BIND(CommReplaceAt),
      BREVANE_BIND(CommReplaceExp),
      BREVANE_BIND(CommJoin),
  };
}

}  // namespace brevane
