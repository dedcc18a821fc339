// The façade members this subsystem implements.
#include "frame/facade.h"
#include "html/chrome.h"
#include "html/listpage.h"
#include "html/swapimage.h"

namespace brevane {

std::vector<Binding> html_bindings() {
  return {
      // Image-swap script
      bind<&CommScriptSwapImage>(u"CommScriptSwapImage"),
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
  };
}

}  // namespace brevane
