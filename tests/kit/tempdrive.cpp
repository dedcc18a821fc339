#include "kit/tempdrive.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/fs.h"

namespace brevane::kit {

namespace stdfs = std::filesystem;

TempDrive::TempDrive(char16_t letter) : letter_(letter) {
  std::string tmpl = (stdfs::temp_directory_path() / "brevane-drive-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  root_ = tmpl;
  fs::set_drive(letter_, root_);
}

TempDrive::~TempDrive() {
  fs::set_fault_hook_for_testing(nullptr);
  fs::reset_drives();
  std::error_code ec;
  // Undo any permission a test took away, so the tree can go.
  for (auto it = stdfs::recursive_directory_iterator(root_, ec); !ec && it != stdfs::recursive_directory_iterator();
       it.increment(ec))
    stdfs::permissions(it->path(), stdfs::perms::owner_all, stdfs::perm_options::add, ec);
  stdfs::remove_all(root_, ec);
}

std::string TempDrive::native(std::string_view rel) const {
  return rel.empty() ? root_ : root_ + "/" + std::string(rel);
}

Text TempDrive::path(TextView rel) const { return Text{letter_, u':', u'\\'} + Text(rel); }

void TempDrive::write(std::string_view rel, std::string_view bytes) const {
  stdfs::path p = native(rel);
  stdfs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

void TempDrive::mkdir(std::string_view rel) const { stdfs::create_directories(native(rel)); }

std::string TempDrive::read(std::string_view rel) const {
  std::ifstream in(native(rel), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TempDrive::exists(std::string_view rel) const { return stdfs::exists(stdfs::symlink_status(native(rel))); }

bool TempDrive::is_folder(std::string_view rel) const { return stdfs::is_directory(native(rel)); }

std::vector<std::string> TempDrive::tree() const {
  std::vector<std::string> out;
  for (auto& e : stdfs::recursive_directory_iterator(root_)) {
    std::string rel = stdfs::relative(e.path(), root_).string();
    if (e.is_directory() && !e.is_symlink()) rel += "/";
    out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace brevane::kit
