// The façade members this subsystem implements.
#include "frame/facade.h"
#include "html/footer.h"
#include "html/media.h"
#include "html/swapimage.h"

namespace brevane {

std::vector<Binding> html_bindings() {
  return {
      // Image-swap script
      bind<&CommScriptSwapImage>(u"CommScriptSwapImage"),
      // Footer, lost-file panel, file picker, update page
      bind<&CommShowCopyRight>(u"CommShowCopyRight"),
      bind<&CommShowWindowLostFile>(u"CommShowWindowLostFile"),
      bind<&CommShowFormFileSelect>(u"CommShowFormFileSelect"),
      bind<&CommShowFormUpDate>(u"CommShowFormUpDate"),
      // Media players
      bind<&CommShowPlayList>(u"CommShowPlayList"),
      bind<&CommShowPlayMovie>(u"CommShowPlayMovie"),
      bind<&CommShowPlayMusic>(u"CommShowPlayMusic"),
      bind<&CommShowPlayFlash>(u"CommShowPlayFlash"),
      bind<&CommShowPlayImage>(u"CommShowPlayImage"),
  };
}

}  // namespace brevane
