// A drive letter pointed at a fresh temporary folder for the length of a
// test, with helpers to lay out and inspect files natively. Resets the
// file-system fault hook and the drive table when it goes.
#pragma once

#include <string>
#include <vector>

#include "core/text.h"

namespace brevane::kit {

class TempDrive {
 public:
  explicit TempDrive(char16_t letter = u'T');
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  // The native folder behind the drive, and a native path under it
  // ("a/b.txt").
  const std::string& root() const { return root_; }
  std::string native(std::string_view rel) const;
  // The Windows-form path for a path under the drive: path(u"a\\b.txt") is
  // "T:\a\b.txt".
  Text path(TextView rel = u"") const;

  // Native helpers that bypass the layer under test.
  void write(std::string_view rel, std::string_view bytes) const;  // creates folders
  void mkdir(std::string_view rel) const;
  std::string read(std::string_view rel) const;  // "" when missing
  bool exists(std::string_view rel) const;
  bool is_folder(std::string_view rel) const;
  // Every path under the drive, relative, sorted; folders end in "/".
  std::vector<std::string> tree() const;

 private:
  char16_t letter_;
  std::string root_;
};

}  // namespace brevane::kit
