#include "files/archive.h"

#include <cctype>
#include <cstdlib>
#include <set>
#include <vector>

#include "core/vbrt.h"
#include "files/fileops.h"
#include "files/paths.h"
#include "frame/host.h"
#include "html/chrome.h"
#include "platform/archive.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace brevane {

namespace {

bool has_wildcard(TextView s) { return s.find_first_of(u"*?") != TextView::npos; }

// A name or mask relative to a folder: no drive, no root, no "..".
bool stays_below(TextView rel) {
  if (rel.empty() || rel.find(u':') != TextView::npos || rel[0] == u'\\' || rel[0] == u'/') return false;
  for (const Text& part : vb::Split(vb::Replace(rel, u"/", u"\\"), u"\\"))
    if (part == u"..") return false;
  return true;
}

// A single name inside the page's folder.
bool is_plain_name(TextView name) {
  return !name.empty() && name != u"." && name != u".." && name.find_first_of(u"\\/:") == TextView::npos;
}

Text join(TextView folder, TextView name) {
  Text out(folder);
  if (!out.empty() && out.back() != u'\\' && out.back() != u'/') out += u'\\';
  return out + Text(name);
}

// Gathers what CompressFile packs, with names relative to the base.
class Packer {
 public:
  Packer(Text base, std::string zip_native) : base_(std::move(base)), zip_(std::move(zip_native)) {}

  // One piece of the list: "name", "sub\name", "*.txt", "sub\*.*".
  bool add_piece(Text piece) {
    piece = vb::Replace(piece, u"/", u"\\");
    if (!stays_below(piece)) return false;
    size_t cut = piece.rfind(u'\\');
    Text rel_folder = cut == Text::npos ? Text() : piece.substr(0, cut);
    Text mask = cut == Text::npos ? piece : piece.substr(cut + 1);
    Text folder = rel_folder.empty() ? base_ : join(base_, rel_folder);
    Text rel_prefix = rel_folder.empty() ? Text() : vb::Replace(rel_folder, u"\\", u"/") + u"/";
    if (mask.empty()) return add_tree(folder, rel_prefix);
    if (!has_wildcard(mask)) {
      auto e = fs::stat(join(folder, mask));
      if (!e) return false;
      return e->is_folder() ? add_tree(join(folder, mask), rel_prefix + mask + u"/")
                            : add_file(join(folder, mask), rel_prefix + mask);
    }
    return add_matches(folder, rel_prefix, mask);
  }

  std::vector<archive::ZipEntry> entries;

 private:
  bool add_file(const Text& physical, const Text& rel) {
    auto native = fs::native_path(physical);
    if (!native) return false;
    if (*native == zip_) return true;  // never the archive into itself
    if (seen_.insert(to_utf8(rel)).second) entries.push_back({to_utf8(rel), *native});
    return true;
  }
  void add_folder(const Text& rel) {
    if (!rel.empty() && seen_.insert(to_utf8(rel)).second) entries.push_back({to_utf8(rel), {}});
  }
  // The folder itself (rel ends in "/" or is empty) and everything below it.
  bool add_tree(const Text& physical, const Text& rel) {
    add_folder(rel);
    return add_matches(physical, rel, u"*");
  }
  // Matching files here and in every sub-folder; sub-folders whose name
  // matches are stored too, so empty ones survive the round trip.
  bool add_matches(const Text& physical, const Text& rel, TextView mask) {
    std::vector<fs::Entry> list;
    if (!fs::list(physical, list)) return false;
    for (const auto& e : list) {
      if (e.is_folder()) {
        if (fs::wildcard_match(mask, e.name)) add_folder(rel + e.name + u"/");
        if (!add_matches(join(physical, e.name), rel + e.name + u"/", mask)) return false;
      } else if (fs::wildcard_match(mask, e.name)) {
        if (!add_file(join(physical, e.name), rel + e.name)) return false;
      }
    }
    return true;
  }

  Text base_;
  std::string zip_;
  std::set<std::string> seen_;
};

// Unpacks into a staging folder beside `target` and moves the result in,
// so a refused or failed unpack leaves the target as it was.
template <class Unpack>
bool unpack_via_staging(const std::string& target, Unpack&& unpack) {
  auto staging = archive::make_staging(target);
  if (!staging) return false;
  bool ok = unpack(*staging) && archive::merge_into(*staging, target);
  archive::remove_staging(*staging);
  return ok;
}

std::string as_folder_argument(const std::string& folder) {
#ifdef _WIN32
  return folder + "\\";
#else
  return folder + "/";
#endif
}

bool inside(const std::string& path, const std::string& folder) {
  auto p = process::real_path(path), f = process::real_path(folder);
  if (!p || !f) return false;
  std::string root = *f;
  if (!root.empty() && root.back() != '/' && root.back() != '\\') root += '/';
  std::string cmp = *p;
#ifdef _WIN32
  for (auto* s : {&root, &cmp})
    for (char& c : *s) c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
  return cmp.compare(0, root.size(), root) == 0;
}

// The page's result: shows the message, refreshes the opener, closes the pop-up.
Text result_script(bool ok) { return CommOpenerEditRefresh(ok ? u"操作成功" : u"操作失败", 1); }

}  // namespace

// ---- Zelto_Class_Zip ----

bool ZeltoClassZip::CompressFile(Text p_BasePath, Text p_FilesToProcessList, Text p_ZipFilename,
                                 Text p_EncryptionPassword) {
  if (CommFileExist(p_ZipFilename)) CommFileDelete(p_ZipFilename);
  auto zip = fs::native_path(p_ZipFilename);
  if (!zip || p_BasePath.empty()) return false;
  while (p_BasePath.size() > 3 && (p_BasePath.back() == u'\\' || p_BasePath.back() == u'/')) p_BasePath.pop_back();
  Packer packer(p_BasePath, *zip);
  for (const Text& piece : vb::Split(p_FilesToProcessList, u"|")) {
    if (piece.empty()) continue;
    if (!packer.add_piece(piece)) return false;
  }
  if (packer.entries.empty()) return false;  // nothing to pack is no archive
  Text password = vb::Trim(p_EncryptionPassword).empty() ? Text() : p_EncryptionPassword;
  return archive::write_zip(*zip, packer.entries, to_utf8(password)) == archive::Status::Ok;
}

bool ZeltoClassZip::UnCompressFile(Text p_ZipFilename, Text p_UnzipToFolder, bool p_DelOldFile, Text p_UnzipFileList,
                                   Text p_EncryptionPassword) {
  if (p_DelOldFile) {
    if (CommFolderExist(p_UnzipToFolder)) {
      std::vector<fs::Entry> list;
      fs::list(p_UnzipToFolder, list);
      for (const auto& e : list) fs::remove(join(p_UnzipToFolder, e.name));  // errors ignored
    } else {
      CommFolderCreate(p_UnzipToFolder);
    }
  }
  auto zip = fs::native_path(p_ZipFilename);
  auto target = fs::native_path(p_UnzipToFolder);
  if (!zip || !target) return false;
  std::vector<Text> masks;
  if (!vb::Trim(p_UnzipFileList).empty())
    for (const Text& piece : vb::Split(p_UnzipFileList, u"|"))
      if (!piece.empty()) masks.push_back(vb::Replace(piece, u"\\", u"/"));
  archive::EntryFilter wanted;
  if (!masks.empty()) {
    wanted = [&masks](std::string_view name) {
      Text full = from_utf8(name);
      Text last = full.substr(full.rfind(u'/') + 1);
      for (const Text& m : masks)
        if (fs::wildcard_match(m, full) || fs::wildcard_match(m, last)) return true;
      return false;
    };
  }
  std::string password = vb::Trim(p_EncryptionPassword).empty() ? std::string() : to_utf8(p_EncryptionPassword);
  return unpack_via_staging(*target, [&](const std::string& staging) {
    return archive::extract(*zip, staging, password, wanted) == archive::Status::Ok;
  });
}

// ---- page methods ----

std::optional<std::string> rar_program(const std::string& site_root) {
  std::optional<std::string> program;
  if (const char* configured = std::getenv("BREVANE_RAR"); configured && *configured)
    program = configured;
  else
    program = process::find_on_path("rar");
  if (!program || !process::is_program(*program)) return std::nullopt;
  if (!site_root.empty() && inside(*program, site_root)) return std::nullopt;
  return program;
}

Text CommUnZipWithRar(Variant& Server, Text p_Path, Text p_File, Text p_Act) {
  ServerRef server(Server);
  Text folder = server.map_path(p_Path);
  auto site_root = fs::native_path(server.map_path(u"/"));
  auto native_folder = fs::native_path(folder);
  if (!is_plain_name(p_File) || !native_folder || !site_root) return result_script(false);
  auto rar = rar_program(*site_root);
  if (rar && inside(*rar, *native_folder)) rar.reset();  // folders outside the site hold uploads too
  bool ok = false;
  if (vb::LCase(p_Act) == u"unzip") {
    auto archive_file = fs::native_path(join(folder, p_File));
    if (archive_file) {
      ok = unpack_via_staging(*native_folder, [&](const std::string& staging) {
        if (!rar) return archive::extract(*archive_file, staging, {}) == archive::Status::Ok;
        // x: full paths, -r: recurse, -o+: overwrite, -p-: never ask for a password,
        // -y: no other question either (nobody is there to answer).
        auto code =
            process::run(*rar, {"x", "-r", "-o+", "-p-", "-y", "--", *archive_file, as_folder_argument(staging)});
        return code == 0 && archive::links_stay_inside(staging);
      });
    }
  } else if (rar) {
    auto archive_file = fs::native_path(join(folder, CommFileGetName(p_File) + u".rar"));
    auto source = fs::native_path(join(folder, p_File));
    // a: add, -ep1: names relative to the source, -r: recurse, -t: test after packing, -o+: overwrite.
    if (archive_file && source)
      ok = process::run(*rar, {"a", "-ep1", "-r", "-t", "-o+", "-y", "--", *archive_file, *source}) == 0;
  }
  return result_script(ok);
}

Text CommUnZipWithXceedZip(Variant& Server, Text p_Path, Text p_File, Text p_Act) {
  ServerRef server(Server);
  Text act = vb::LCase(p_Act);
  if (act != u"zipfile" && act != u"zipfolder" && act != u"unzip") return result_script(false);
  Text folder = server.map_path(p_Path);
  if (!is_plain_name(p_File)) return result_script(false);
  Text archive_file = vb::Replace(folder + u"\\" + CommFileGetName(p_File) + u".RAR", u"\\\\", u"\\");
  ZeltoClassZip zip;
  bool ok = false;
  if (act == u"zipfile")
    ok = zip.CompressFile(folder, p_File, archive_file, u"");
  else if (act == u"zipfolder")
    ok = zip.CompressFile(folder + u"\\" + p_File, u"*.*", archive_file, u"");
  else
    ok = zip.UnCompressFile(folder + u"\\" + p_File, folder, false, u"", u"");
  return result_script(ok);
}

}  // namespace brevane
