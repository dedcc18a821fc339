// The façade members this subsystem implements.
#include "frame/facade.h"
#include "html/calendar.h"
#include "html/fields.h"
#include "html/swapimage.h"
#include "html/tabs.h"

namespace brevane {

std::vector<Binding> html_bindings() {
  return {
      // Image-swap script
      bind<&CommScriptSwapImage>(u"CommScriptSwapImage"),
      // Table and field rendering
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
  };
}

}  // namespace brevane
