// The file manager's main page fragments: menu bar, right-click menu, tool
// bar, address bar, the listing of one folder, the status bar, and the help
// page. The listing's counters are kept per thread for the status bar.
#pragma once

#include <cstdint>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

Text CommShowMenu(Variant& Request);
Text CommShowMenuRight();
Text CommShowMenuShort(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder);
Text CommShowUrl(int16_t p_FileListStyle, Text p_CurrentFolder);
Text CommShowFileList(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder);
Text CommShowBottom(Variant& Request);
Text CommHelp();

// The counters the last listing on this thread left.
struct ListingCounters {
  int16_t folders = 0;
  int16_t files = 0;
  int64_t folder_bytes = 0;
  int64_t file_bytes = 0;
};
ListingCounters listing_counters();

// Text for HTML content and attributes in either quote style.
Text fm_html(TextView s);

}  // namespace brevane
