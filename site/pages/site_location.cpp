// Where `brevane serve` finds the demo site when no --site is given.
#include <filesystem>
#include <system_error>

#include "site/pages/demo_site.h"

namespace brevane::site {

std::filesystem::path default_site_dir() {
  namespace fs = std::filesystem;
#ifdef BREVANE_INSTALLED_SITE
  // An installed program finds the site beside it (<prefix>/bin and
  // <prefix>/share/...), so a tree moved elsewhere or unpacked into another
  // root still serves its own copy.
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    fs::path installed = exe.parent_path().parent_path() / BREVANE_INSTALLED_SITE;
    if (fs::is_directory(installed, ec)) return installed;
  }
#endif
  // A program run from its build folder serves the checkout's site.
  return BREVANE_DEMO_SITE;
}

}  // namespace brevane::site
