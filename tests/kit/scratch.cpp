#include "kit/scratch.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace brevane::kit {

ScratchFolder::ScratchFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "brevane-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  native_ = tmpl;
  Text p = u"C:" + from_utf8(tmpl);
  for (auto& c : p)
    if (c == u'/') c = u'\\';
  physical_ = p;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(native_, ec);
}

std::string ScratchFolder::read(const std::string& relative) const {
  std::ifstream in(native_ / relative, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void ScratchFolder::write(const std::string& relative, const std::string& bytes) const {
  std::filesystem::create_directories((native_ / relative).parent_path());
  std::ofstream(native_ / relative, std::ios::binary) << bytes;
}

bool ScratchFolder::exists(const std::string& relative) const { return std::filesystem::exists(native_ / relative); }

}  // namespace brevane::kit
