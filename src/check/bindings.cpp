// The façade members this subsystem implements.
#include "check/bindings.h"

#include "check/guards.h"
#include "check/idcard.h"
#include "check/validators.h"
#include "core/declared.h"

namespace brevane {

std::vector<Binding> check_bindings() {
  return {
      // Value validators
      BREVANE_BIND(CommCheckIsChinese),
      BREVANE_BIND(CommCheckIsInteger),
      BREVANE_BIND(CommCheckIsNumeric),
      BREVANE_BIND(CommCheckIsTelephone),
      BREVANE_BIND(CommCheckIsValidString),
      BREVANE_BIND(CommCheckIsEmail),
      BREVANE_BIND(CommCheckIsID),
      BREVANE_BIND(CommCheckIsRange),
      BREVANE_BIND(CommCheckIsObjInstalled),
      BREVANE_BIND(CommCheckReg),
      BREVANE_BIND(CommCheckIsEmpty),
      // Identity cards.
      BREVANE_BIND(CommCheckPostCard),
      BREVANE_BIND(CommGetBirthdayFromPostcard),
      BREVANE_BIND(CommGetSexFromPostcard),
      // Request guards and classifiers
      BREVANE_BIND(CommCheckInject),
      BREVANE_BIND(CommCheckPost),
      BREVANE_BIND(CommCheckSession),
      BREVANE_BIND(CommCheckAllow),
      BREVANE_BIND(CommCheckInput),
      BREVANE_BIND(CommCheckIsNoRecord),
      BREVANE_BIND(CommCheckIsEof),
      BREVANE_BIND(CommCheckEdit),
      BREVANE_BIND(CommCheckRead),
      BREVANE_BIND(CommCheckState),
      BREVANE_BIND(CommCheckNetUserSystem),
      BREVANE_BIND(CommCheckNetUserBrower),
  };
}

}  // namespace brevane
