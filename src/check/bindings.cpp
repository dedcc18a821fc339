// The façade members this subsystem implements.
#include "check/validators.h"
#include "check/idcard.h"
#include "frame/facade.h"

namespace brevane {

std::vector<Binding> check_bindings() {
  return {
      // Value validators
      bind<&CommCheckIsChinese>(u"CommCheckIsChinese"),
      bind<&CommCheckIsInteger>(u"CommCheckIsInteger"),
      bind<&CommCheckIsNumeric>(u"CommCheckIsNumeric"),
      bind<&CommCheckIsTelephone>(u"CommCheckIsTelephone"),
      bind<&CommCheckIsValidString>(u"CommCheckIsValidString"),
      bind<&CommCheckIsEmail>(u"CommCheckIsEmail"),
      bind<&CommCheckIsID>(u"CommCheckIsID"),
      bind<&CommCheckIsRange>(u"CommCheckIsRange"),
      bind<&CommCheckIsObjInstalled>(u"CommCheckIsObjInstalled"),
      bind<&CommCheckReg>(u"CommCheckReg"),
      bind<&CommCheckIsEmpty>(u"CommCheckIsEmpty"),
      // Identity cards.
      bind<&CommCheckPostCard>(u"CommCheckPostCard"),
      bind<&CommGetBirthdayFromPostcard>(u"CommGetBirthdayFromPostcard"),
      bind<&CommGetSexFromPostcard>(u"CommGetSexFromPostcard"),
  };
}

}  // namespace brevane
