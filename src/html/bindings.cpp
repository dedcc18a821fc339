// The façade members this subsystem implements.
#include "frame/facade.h"
#include "html/calendar.h"
#include "html/chrome.h"
#include "html/fields.h"
#include "html/listpage.h"
#include "html/scripts.h"
#include "html/swapimage.h"
#include "html/tabs.h"

namespace brevane {

std::vector<Binding> html_bindings() {
  return {
      // Image-swap script
      bind<&CommScriptSwapImage>(u"CommScriptSwapImage"),
      // Table and field rendering
      bind<&CommShowTd>(u"CommShowTd"),
      bind<&CommShowTr>(u"CommShowTr"),
      bind<&CommShowMenuMoveContent>(u"CommShowMenuMoveContent"),
      bind<&CommShowGridTr>(u"CommShowGridTr"),
      bind<&CommShowTableHeader>(u"CommShowTableHeader"),
      bind<&CommShowTableHeaderEmpty>(u"CommShowTableHeaderEmpty"),
      bind<&CommShowTableDouble>(u"CommShowTableDouble"),
      // Calendar
      bind<&CommShowCalendar>(u"CommShowCalendar"),
      // Tabs and spreadsheet export
      bind<&CommShowTab>(u"CommShowTab"),
      bind<&CommShowTabAndContent>(u"CommShowTabAndContent"),
      bind<&CommShowExcel>(u"CommShowExcel"),
      bind<&CommShowExcelHeader>(u"CommShowExcelHeader"),
      bind<&CommShowExcelTop>(u"CommShowExcelTop"),
      bind<&CommShowExcelTableHeader>(u"CommShowExcelTableHeader"),
      bind<&CommShowExcelBottom>(u"CommShowExcelBottom"),
      // List pages: paging, ordering, search strip
      bind<&CommShowNoPage>(u"CommShowNoPage"),
      bind<&CommShowPage>(u"CommShowPage"),
      bind<&CommGetOrderString>(u"CommGetOrderString"),
      bind<&CommShowSelect>(u"CommShowSelect"),
      bind<&CommShowSearchLeft>(u"CommShowSearchLeft"),
      bind<&CommShowSearchRight>(u"CommShowSearchRight"),
      bind<&CommShowNoRecord>(u"CommShowNoRecord"),
      bind<&CommShowColorLine>(u"CommShowColorLine"),
      bind<static_cast<Text (*)(int16_t)>(&CommShowEmptyLine)>(u"CommShowEmptyLine"),
      bind<&CommShowSpace>(u"CommShowSpace"),
      // Messages and page chrome
      bind<&CommShowSuccess>(u"CommShowSuccess"),
      bind<&CommShowMessage>(u"CommShowMessage"),
      bind<&CommOpenerRefresh>(u"CommOpenerRefresh"),
      bind<&CommOpenerEditRefresh>(u"CommOpenerEditRefresh"),
      bind<&CommCloseWindowNoMessagebox>(u"CommCloseWindowNoMessagebox"),
      bind<&CommCloseTopWindowNoMessagebox>(u"CommCloseTopWindowNoMessagebox"),
      bind<&CommCloseWindowCurrent>(u"CommCloseWindowCurrent"),
      bind<&CommCloseWindowModal>(u"CommCloseWindowModal"),
      bind<&CommShowForm>(u"CommShowForm"),
      bind<&CommShowLogin>(u"CommShowLogin"),
      bind<&CommShowAbout>(u"CommShowAbout"),
      bind<&CommShowBox>(u"CommShowBox"),
      bind<&CommShowTitleTop>(u"CommShowTitleTop"),
      bind<&CommShowHeader>(u"CommShowHeader"),
      bind<&CommShowTitleHeader>(u"CommShowTitleHeader"),
      bind<&CommShowHeader2>(u"CommShowHeader2"),
      bind<&CommShowTitleSingle>(u"CommShowTitleSingle"),
      bind<&CommShowHeader1>(u"CommShowHeader1"),
      bind<&CommShowBar>(u"CommShowBar"),
      bind<&CommClearCache>(u"CommClearCache"),
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
