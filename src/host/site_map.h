// Where site paths live on disk: the site folder, plus folders mounted at a
// site path (the demo's data and uploads live outside the checkout). Server
// .MapPath answers in Windows form by the file system's drive mapping (C:
// stands for "/" unless BREVANE_DRIVES says otherwise).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text.h"

namespace brevane::host {

namespace fs = std::filesystem;

struct SiteMap {
  fs::path root;
  // Site prefix ("/data") -> folder; prefixes match without regard to case.
  std::vector<std::pair<std::string, fs::path>> mounts;

  // `path` as a page passes it to Server.MapPath: beginning with "/" or "\"
  // from the site root, otherwise relative to the folder of `page_url`.
  // ScriptError 5 for a path that would leave the site root or holds ":".
  Text map_path(TextView path, std::string_view page_url) const;

  // The file a static request names, components matched without regard to
  // case when the exact name does not exist; nullopt when there is none or
  // the path tries to climb out.
  std::optional<fs::path> resolve_file(std::string_view url_path) const;

  // The mount a site path falls in ("/data"), or empty for the site itself.
  std::string mount_of(std::string_view url_path) const;
};

Text to_windows_path(const fs::path& posix);

// The image type of a file from its first bytes; empty when not an image.
std::string_view sniff_image_type(std::string_view head);
// By file name extension, for everything that is not sniffed.
std::string content_type_for(const fs::path& file);

}  // namespace brevane::host
