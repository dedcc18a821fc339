// BrevaneCls: the façade whose every method forwards to the routine of the
// same name in its subsystem.
#pragma once

#include "core/object.h"

namespace brevane {

constexpr char16_t kVersion[] = u"03.05.01";

class BrevaneCls : public DeclaredObject {
 public:
  BrevaneCls();
  static ObjectPtr create() { return std::make_shared<BrevaneCls>(); }

  Text CommMd5(Text s);
  Text CommServU(Text s);
  Text CommGetVersion();

 private:
  // The hash engine lives exactly as long as the instance.
  ObjectPtr engine_;
};

}  // namespace brevane
