// The façade members this subsystem implements.
#include "frame/data.h"
#include "frame/errorpage.h"
#include "frame/facade.h"

namespace brevane {

std::vector<Binding> frame_bindings() {
  return {
      // Data access and the shared error page
      bind<&CommGetDataFullName>(u"CommGetDataFullName"),
      bind<&CommGetConnString>(u"CommGetConnString"),
      bind<&CommCloseData>(u"CommCloseData", MemberKind::Sub),
      bind<&CommDataInit>(u"CommDataInit", MemberKind::Sub),
      bind<&CommSetConn>(u"CommSetConn", MemberKind::Sub),
      bind<&CommShowErrorPage>(u"CommShowErrorPage", MemberKind::Sub),
  };
}

}  // namespace brevane
