// BrevaneCls: the façade whose every method forwards to the routine of the
// same name in its subsystem.
#pragma once

#include <vector>

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

// Each subsystem lists the façade members it implements (src/<subsystem>/bindings.cpp).
std::vector<Binding> frame_bindings();
std::vector<Binding> upload_bindings();
std::vector<Binding> text_bindings();
std::vector<Binding> check_bindings();
std::vector<Binding> files_bindings();
std::vector<Binding> transfer_bindings();
std::vector<Binding> html_bindings();
std::vector<Binding> filemanager_bindings();

}  // namespace brevane
