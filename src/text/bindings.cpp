// The façade members this subsystem implements.
#include "frame/facade.h"
#include "text/formatters.h"

namespace brevane {

std::vector<Binding> text_bindings() {
  return {
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
