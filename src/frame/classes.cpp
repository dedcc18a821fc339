// Everything creatable by programmatic identifier.
#include "core/registry.h"
#include "frame/facade.h"
#include "hash/md5.h"

namespace brevane {

void register_platform_classes(ClassRegistry& r);  // src/platform

namespace {

// A public class whose behaviour is not built yet: creatable, its members
// declared, every call answering 438.
Factory declared_only(std::u16string_view name) {
  return [name]() -> ObjectPtr {
    static std::vector<std::unique_ptr<HandlerTable>> tables;
    const ClassInfo& info = declared_class(name);
    for (const auto& t : tables)
      if (&t->info() == &info) return std::make_shared<DeclaredObject>(*t);
    tables.push_back(std::make_unique<HandlerTable>(info, std::initializer_list<std::vector<Binding>>{}));
    return std::make_shared<DeclaredObject>(*tables.back());
  };
}

}  // namespace

void register_all_classes(ClassRegistry& r) {
  r.add(u"Brevane.BrevaneCls", &BrevaneCls::create);
  r.add(u"Brevane.Zelto_Class_Md5", &Md5Engine::create);
  for (auto name : {u"Zelto_Class_UploadFile", u"Zelto_Class_UploadFileEx", u"Zelto_Class_UploadFileEmpty",
                    u"Zelto_UploadImage", u"Zelto_UpLoadImageData"})
    r.add(Text(u"Brevane.") + name, declared_only(name));
  register_platform_classes(r);
}

}  // namespace brevane
