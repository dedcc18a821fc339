#include "component/facade.h"

#include "check/bindings.h"
#include "core/declared.h"
#include "filemanager/bindings.h"
#include "files/bindings.h"
#include "frame/bindings.h"
#include "hash/md5.h"
#include "html/bindings.h"
#include "text/bindings.h"
#include "transfer/bindings.h"
#include "upload/bindings.h"

namespace brevane {

namespace {

const HandlerTable& facade_table() {
  static const HandlerTable table(declared_class(u"BrevaneCls"),
                                  {{bind<decl::BrevaneCls::CommMd5, &BrevaneCls::CommMd5>(),
                                    bind<decl::BrevaneCls::CommServU, &BrevaneCls::CommServU>(),
                                    bind<decl::BrevaneCls::CommGetVersion, &BrevaneCls::CommGetVersion>()},
                                   frame_bindings(),
                                   upload_bindings(),
                                   text_bindings(),
                                   check_bindings(),
                                   files_bindings(),
                                   transfer_bindings(),
                                   html_bindings(),
                                   filemanager_bindings()});
  return table;
}

}  // namespace

// Archive support is linked in, so there is no library file to install or
// register at creation.
BrevaneCls::BrevaneCls() : DeclaredObject(facade_table()), engine_(Md5Engine::create()) {}

Text BrevaneCls::CommMd5(Text s) { return call(Variant(engine_), u"ZeltoMd5", {Variant(std::move(s))}).to_text(); }

Text BrevaneCls::CommServU(Text s) { return call(Variant(engine_), u"ZeltoServU", {Variant(std::move(s))}).to_text(); }

Text BrevaneCls::CommGetVersion() { return kVersion; }

}  // namespace brevane
