// A fresh folder under the temporary directory for tests that write files,
// removed with everything in it at the end. `physical` is its Windows form
// (C:\tmp\...), as pages and MapPath hand paths to the component.
#pragma once

#include <filesystem>
#include <string>

#include "core/text.h"

namespace brevane::kit {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& native() const { return native_; }
  const Text& physical() const { return physical_; }
  // Contents of a file below the folder ("" when missing).
  std::string read(const std::string& relative) const;
  void write(const std::string& relative, const std::string& bytes) const;
  bool exists(const std::string& relative) const;

 private:
  std::filesystem::path native_;
  Text physical_;
};

}  // namespace brevane::kit
