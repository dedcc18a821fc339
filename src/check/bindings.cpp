// The façade members this subsystem implements.
#include "check/guards.h"
#include "check/idcard.h"
#include "check/validators.h"
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
      // Request guards and classifiers
      bind<&CommCheckInject>(u"CommCheckInject"),
      bind<&CommCheckPost>(u"CommCheckPost"),
      bind<&CommCheckSession>(u"CommCheckSession"),
      bind<&CommCheckAllow>(u"CommCheckAllow"),
      bind<&CommCheckInput>(u"CommCheckInput"),
      bind<&CommCheckIsNoRecord>(u"CommCheckIsNoRecord"),
      bind<&CommCheckIsEof>(u"CommCheckIsEof"),
      bind<&CommCheckEdit>(u"CommCheckEdit"),
      bind<&CommCheckRead>(u"CommCheckRead"),
      bind<&CommCheckState>(u"CommCheckState"),
      bind<&CommCheckNetUserSystem>(u"CommCheckNetUserSystem"),
      bind<&CommCheckNetUserBrower>(u"CommCheckNetUserBrower"),
  };
}

}  // namespace brevane
