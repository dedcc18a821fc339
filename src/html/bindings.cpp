// The façade members this subsystem implements.
#include "frame/facade.h"
#include "html/footer.h"
#include "html/media.h"
#include "html/scripts.h"
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
      // Client script snippets
      bind<&CommScriptNoInFrame>(u"CommScriptNoInFrame"),
      bind<&CommScriptNoInTop>(u"CommScriptNoInTop"),
      bind<&CommScriptImage>(u"CommScriptImage"),
      bind<&CommScriptMouse>(u"CommScriptMouse"),
      bind<&CommScriptListMenu>(u"CommScriptListMenu"),
      bind<&CommScriptListMenuMove>(u"CommScriptListMenuMove"),
      bind<&CommScriptCheckForm>(u"CommScriptCheckForm"),
      bind<&CommScriptCheck>(u"CommScriptCheck"),
      bind<&CommScriptCheckPostCard>(u"CommScriptCheckPostCard"),
      bind<&CommScriptOpenWindow>(u"CommScriptOpenWindow"),
      bind<&CommScriptPopWindow>(u"CommScriptPopWindow"),
      bind<&CommScriptPopSelect>(u"CommScriptPopSelect"),
      bind<&CommScriptShowDateAndTime>(u"CommScriptShowDateAndTime"),
      bind<&CommScriptShowProcessBar>(u"CommScriptShowProcessBar"),
      bind<&CommAjaxGet>(u"CommAjaxGet"),
      bind<&CommAjaxPost>(u"CommAjaxPost"),
      bind<&CommScriptShowToolTipText>(u"CommScriptShowToolTipText"),
      bind<&CommScriptShowCalendar>(u"CommScriptShowCalendar"),
      bind<&CommScriptScrollWindow>(u"CommScriptScrollWindow"),
      bind<&CommScriptScrollWindowFollow>(u"CommScriptScrollWindowFollow"),
      bind<&CommShowScrollWindowTitle>(u"CommShowScrollWindowTitle"),
  };
}

}  // namespace brevane
