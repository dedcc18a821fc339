// The file manager's main page fragments: menu bar, right-click menu, tool
// bar, address bar, the listing of one folder, the status bar, and the help
// page. The listing's counters are kept per thread for the status bar.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text.h"
#include "core/variant.h"

namespace brevane {

Text CommShowMenu(Variant& Request);
Text CommShowMenuRight();
Text CommShowMenuShort(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder);
Text CommShowUrl(int16_t p_FileListStyle, Text p_CurrentFolder);
Text CommShowFileList(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder);

// How the site's pages may show a listing besides the default (folders
// first, then files, each by name): by size, type or time, either way
// round (folders always first), or only the names in the folder and below
// that hold `search` (any case; "*" and "?" match as in a file mask), shown
// with their paths from the folder. The search stops after
// kSearchMaxResults names or kSearchMaxDepth levels.
struct ListingView {
  enum class Key { Name, Size, Type, Time };
  Key key = Key::Name;
  bool descending = false;
  Text search;
};
inline constexpr size_t kSearchMaxResults = 1000;
inline constexpr int kSearchMaxDepth = 32;
Text fm_show_file_list(Variant& Server, int16_t p_FileListStyle, Text p_CurrentFolder, const ListingView& view);
// "name", "size", "type" or "time" (any case); false for anything else.
bool fm_sort_key(TextView word, ListingView::Key& key);
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

}  // namespace brevane
