// The façade members this subsystem implements.
#include "frame/facade.h"
#include "text/convert.h"

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
  };
}

}  // namespace brevane
