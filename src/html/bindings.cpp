// The façade members this subsystem implements.
#include "html/bindings.h"

#include "core/declared.h"
#include "frame/swapimage.h"
#include "html/chrome.h"
#include "html/listpage.h"
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
      // List pages: paging, ordering, search strip
      BREVANE_BIND(CommShowNoPage),
      BREVANE_BIND(CommShowPage),
      BREVANE_BIND(CommGetOrderString),
      BREVANE_BIND(CommShowSelect),
      BREVANE_BIND(CommShowSearchLeft),
      BREVANE_BIND(CommShowSearchRight),
      BREVANE_BIND(CommShowNoRecord),
      BREVANE_BIND(CommShowColorLine),
      // Pages choose only the height; the coloured line is for C++ callers.
      bind<decl::BrevaneCls::CommShowEmptyLine, static_cast<Text (*)(int16_t)>(&CommShowEmptyLine)>(),
      BREVANE_BIND(CommShowSpace),
      // Messages and page chrome
      BREVANE_BIND(CommShowSuccess),
      BREVANE_BIND(CommShowMessage),
      BREVANE_BIND(CommOpenerRefresh),
      BREVANE_BIND(CommOpenerEditRefresh),
      BREVANE_BIND(CommCloseWindowNoMessagebox),
      BREVANE_BIND(CommCloseTopWindowNoMessagebox),
      BREVANE_BIND(CommCloseWindowCurrent),
      BREVANE_BIND(CommCloseWindowModal),
      BREVANE_BIND(CommShowForm),
      BREVANE_BIND(CommShowLogin),
      BREVANE_BIND(CommShowAbout),
      BREVANE_BIND(CommShowBox),
      BREVANE_BIND(CommShowTitleTop),
      BREVANE_BIND(CommShowHeader),
      BREVANE_BIND(CommShowTitleHeader),
      BREVANE_BIND(CommShowHeader2),
      BREVANE_BIND(CommShowTitleSingle),
      BREVANE_BIND(CommShowHeader1),
      BREVANE_BIND(CommShowBar),
      BREVANE_BIND(CommClearCache),
  };
}

}  // namespace brevane
