// The façade members this subsystem implements.
#include "html/bindings.h"

#include "core/declared.h"
#include "frame/swapimage.h"
#include "html/scripts.h"

namespace brevane {

std::vector<Binding> html_bindings() {
  return {
      // Image-swap script
      BREVANE_BIND(CommScriptSwapImage),
      // Client script snippets
      BREVANE_BIND(CommScriptNoInFrame),
      BREVANE_BIND(CommScriptNoInTop),
      BREVANE_BIND(CommScriptImage),
      BREVANE_BIND(CommScriptMouse),
      BREVANE_BIND(CommScriptListMenu),
      BREVANE_BIND(CommScriptListMenuMove),
      BREVANE_BIND(CommScriptCheckForm),
      BREVANE_BIND(CommScriptCheck),
      BREVANE_BIND(CommScriptCheckPostCard),
      BREVANE_BIND(CommScriptOpenWindow),
      BREVANE_BIND(CommScriptPopWindow),
      BREVANE_BIND(CommScriptPopSelect),
      BREVANE_BIND(CommScriptShowDateAndTime),
      BREVANE_BIND(CommScriptShowProcessBar),
      BREVANE_BIND(CommAjaxGet),
      BREVANE_BIND(CommAjaxPost),
      BREVANE_BIND(CommScriptShowToolTipText),
      BREVANE_BIND(CommScriptShowCalendar),
      BREVANE_BIND(CommScriptScrollWindow),
      BREVANE_BIND(CommScriptScrollWindowFollow),
      BREVANE_BIND(CommShowScrollWindowTitle),
  };
}

}  // namespace brevane
