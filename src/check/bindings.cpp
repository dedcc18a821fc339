// The façade members this subsystem implements.
#include "check/idcard.h"
#include "frame/facade.h"

namespace brevane {

std::vector<Binding> check_bindings() {
  return {
      // Identity cards.
      bind<&CommCheckPostCard>(u"CommCheckPostCard"),
      bind<&CommGetBirthdayFromPostcard>(u"CommGetBirthdayFromPostcard"),
      bind<&CommGetSexFromPostcard>(u"CommGetSexFromPostcard"),
  };
}

}  // namespace brevane
