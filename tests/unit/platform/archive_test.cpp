#include "platform/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "kit/tempdrive.h"

namespace brevane::archive {
namespace {

using kit::TempDrive;
using Tree = std::vector<std::string>;

// ---- names ----

TEST(ArchiveNames, OnlyPlainRelativeNamesPass) {
  struct Case {
    const char* name;
    const char* safe;  // nullptr: refused
  };
  const Case cases[] = {
      {"a.txt", "a.txt"},
      {"sub/deeper/a.txt", "sub/deeper/a.txt"},
      {"sub\\win\\a.txt", "sub/win/a.txt"},
      {"./a//b/", "a/b"},
      {"中文/说明.txt", "中文/说明.txt"},
      {"a..b.txt", "a..b.txt"},
      {"", nullptr},
      {"../evil.txt", nullptr},
      {"sub/../../evil.txt", nullptr},
      {"sub\\..\\..\\evil.txt", nullptr},
      {"/etc/passwd", nullptr},
      {"\\windows\\x.dll", nullptr},
      {"\\\\server\\share\\x", nullptr},
      {"C:evil.txt", nullptr},
      {"c:/evil.txt", nullptr},
      {"a.txt:stream", nullptr},
      {"CON", nullptr},
      {"sub/con.txt", nullptr},
      {"LPT1.log", nullptr},
      {"com9", nullptr},
      {"COM10", "COM10"},
      {"trailing./x", nullptr},
      {"space /x", nullptr},
      {"tab\there", nullptr},
  };
  for (const auto& c : cases) {
    auto got = safe_entry_name(c.name);
    if (c.safe)
      EXPECT_EQ(got.value_or("<refused>"), c.safe) << c.name;
    else
      EXPECT_FALSE(got) << c.name << " -> " << *got;
  }
}

TEST(ArchiveNames, LinksMayNotLeaveTheFolder) {
  EXPECT_EQ(safe_link_target("sub/link", "../a.txt").value_or(""), "a.txt");
  EXPECT_EQ(safe_link_target("sub/link", "x/y").value_or(""), "sub/x/y");
  EXPECT_FALSE(safe_link_target("link", "../outside"));
  EXPECT_FALSE(safe_link_target("sub/link", "../../outside"));
  EXPECT_FALSE(safe_link_target("link", "/etc/passwd"));
  EXPECT_FALSE(safe_link_target("link", "C:\\Windows"));
  EXPECT_FALSE(safe_link_target("sub/link", ".."));  // the unpack folder itself
}

// ---- archives built by the tests ----

// libarchive names in UTF-8 need a UTF-8 thread locale, as in the code under test.
// One locale for the whole run, as the code keeps it.
struct Utf8Scope {
  Utf8Scope() : old(uselocale(utf8())) {}
  ~Utf8Scope() { uselocale(old); }
  static locale_t utf8() {
    static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
  }
  locale_t old;
};

struct Item {
  Item() = default;
  Item(std::string n, mode_t ty = AE_IFREG, std::string d = {}, std::string l = {}, bool h = false)
      : name(std::move(n)), type(ty), data(std::move(d)), link(std::move(l)), hard(h) {}
  std::string name;
  mode_t type = AE_IFREG;
  std::string data;
  std::string link;  // symlink target, or hard link target when hard
  bool hard = false;
};

// Writes `items` with libarchive in `format` ("zip", "pax").
void write_archive(const std::string& path, const std::string& format, const std::vector<Item>& items,
                   const char* zip_charset = nullptr) {
  Utf8Scope utf8;
  struct archive* a = archive_write_new();
  if (format == "pax.xz") {
    ASSERT_EQ(archive_write_set_format_pax(a), ARCHIVE_OK);
    ASSERT_EQ(archive_write_add_filter_xz(a), ARCHIVE_OK);
  } else {
    ASSERT_EQ(archive_write_set_format_by_name(a, format.c_str()), ARCHIVE_OK);
  }
  if (zip_charset) archive_write_set_format_option(a, "zip", "hdrcharset", zip_charset);
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const auto& it : items) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname_utf8(e, it.name.c_str());
    archive_entry_set_filetype(e, it.type);
    archive_entry_set_perm(e, it.type == AE_IFDIR ? 0755 : 0644);
    if (it.hard) archive_entry_set_hardlink_utf8(e, it.link.c_str());
    if (it.type == AE_IFLNK) archive_entry_set_symlink_utf8(e, it.link.c_str());
    if (it.type == AE_IFCHR) archive_entry_set_rdev(e, 0x0103);
    archive_entry_set_size(e, static_cast<la_int64_t>(it.data.size()));
    archive_write_header(a, e);
    if (!it.data.empty()) archive_write_data(a, it.data.data(), it.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

class Archive : public ::testing::Test {
 protected:
  // Unpacks as the component does: staging beside the target, then moved in.
  Status unpack(const std::string& archive_rel, const std::string& target_rel, std::string_view password = {},
                const EntryFilter& wanted = {}, const Limits& limits = {}) {
    std::string target = t.native(target_rel);
    auto staging = make_staging(target);
    if (!staging) return Status::CannotWrite;
    Status st = extract(t.native(archive_rel), *staging, password, wanted, limits);
    if (st == Status::Ok && !merge_into(*staging, target)) st = Status::CannotWrite;
    remove_staging(*staging);
    return st;
  }
  TempDrive t;
};

TEST_F(Archive, ZipRoundTripKeepsNestedAndEmptyFoldersAndChineseNames) {
  t.write("src/a.txt", "alpha");
  t.write("src/中文/说明.txt", "说明内容");
  t.write("src/big.bin", std::string(300000, 'z'));
  std::vector<ZipEntry> entries = {
      {"a.txt", t.native("src/a.txt")},
      {"中文/", ""},
      {"中文/说明.txt", t.native("src/中文/说明.txt")},
      {"empty/", ""},
      {"empty/deeper/", ""},
      {"big.bin", t.native("src/big.bin")},
  };
  ASSERT_EQ(write_zip(t.native("out.zip"), entries, ""), Status::Ok);
  EXPECT_LT(t.read("out.zip").size(), 10000u);  // deflated
  ASSERT_EQ(unpack("out.zip", "dst"), Status::Ok);
  EXPECT_EQ(t.read("dst/a.txt"), "alpha");
  EXPECT_EQ(t.read("dst/中文/说明.txt"), "说明内容");
  EXPECT_EQ(t.read("dst/big.bin"), std::string(300000, 'z'));
  EXPECT_TRUE(t.is_folder("dst/empty/deeper"));
  // Nothing of the staging folder is left beside the target.
  for (const auto& p : t.tree()) EXPECT_EQ(p.find("unpack"), std::string::npos) << p;
}

TEST_F(Archive, ChineseNamesCarryTheUtf8FlagAndOldEntriesReadInTheAnsiCodePage) {
  t.write("f.txt", "x");
  ASSERT_EQ(write_zip(t.native("new.zip"), {{"报告.txt", t.native("f.txt")}}, ""), Status::Ok);
  std::string bytes = t.read("new.zip");
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_TRUE(static_cast<unsigned char>(bytes[7]) & 0x08) << "language-encoding flag (bit 11)";

  // An archive as Chinese Windows tools write it: GBK names, no flag.
  write_archive(t.native("old.zip"), "zip", {{"旧文件.txt", AE_IFREG, "old"}}, "CP936");
  std::string old = t.read("old.zip");
  EXPECT_FALSE(static_cast<unsigned char>(old[7]) & 0x08);
  EXPECT_NE(old.find("\xbe\xc9\xce\xc4\xbc\xfe"), std::string::npos) << "stored in GBK";
  ASSERT_EQ(unpack("old.zip", "dst"), Status::Ok);
  EXPECT_EQ(t.read("dst/旧文件.txt"), "old");
}

TEST_F(Archive, PasswordsRightAndWrong) {
  t.write("secret.txt", "top secret");
  for (Encryption enc : {Encryption::Traditional, Encryption::Aes256}) {
    SCOPED_TRACE(enc == Encryption::Aes256 ? "aes256" : "traditional");
    ASSERT_EQ(write_zip(t.native("s.zip"), {{"secret.txt", t.native("secret.txt")}}, "pa55", enc), Status::Ok);
    EXPECT_EQ(t.read("s.zip").find("top secret"), std::string::npos);
    EXPECT_EQ(unpack("s.zip", "wrong", "nope"), Status::WrongPassword);
    EXPECT_EQ(unpack("s.zip", "none"), Status::WrongPassword);
    EXPECT_FALSE(t.exists("wrong/secret.txt"));
    EXPECT_FALSE(t.exists("none/secret.txt"));
    ASSERT_EQ(unpack("s.zip", "right", "pa55"), Status::Ok);
    EXPECT_EQ(t.read("right/secret.txt"), "top secret");
  }
}

TEST_F(Archive, EveryRefusedEntryLeavesTheTargetUnchanged) {
  struct Case {
    const char* what;
    const char* format;
    std::vector<Item> items;
  };
  const std::vector<Case> cases = {
      {"dot-dot", "zip", {{"ok.txt", AE_IFREG, "fine"}, {"../evil.txt", AE_IFREG, "x"}}},
      {"dot-dot inside", "pax", {{"ok.txt", AE_IFREG, "fine"}, {"a/../../evil.txt", AE_IFREG, "x"}}},
      {"absolute", "pax", {{"ok.txt", AE_IFREG, "fine"}, {"/tmp/evil.txt", AE_IFREG, "x"}}},
      {"drive letter", "zip", {{"ok.txt", AE_IFREG, "fine"}, {"C:\\evil.txt", AE_IFREG, "x"}}},
      {"device name", "zip", {{"ok.txt", AE_IFREG, "fine"}, {"aux.txt", AE_IFREG, "x"}}},
      {"symlink out", "zip", {{"ok.txt", AE_IFREG, "fine"}, {"link", AE_IFLNK, "", "../../etc"}}},
      {"absolute symlink", "pax", {{"ok.txt", AE_IFREG, "fine"}, {"link", AE_IFLNK, "", "/etc/passwd"}}},
      {"hard link out", "pax", {{"ok.txt", AE_IFREG, "fine"}, {"h", AE_IFREG, "", "/etc/passwd", true}}},
      {"hard link to nothing", "pax", {{"ok.txt", AE_IFREG, "fine"}, {"h", AE_IFREG, "", "missing.txt", true}}},
      {"device", "pax", {{"ok.txt", AE_IFREG, "fine"}, {"tty", AE_IFCHR, ""}}},
      {"fifo", "pax", {{"ok.txt", AE_IFREG, "fine"}, {"pipe", AE_IFIFO, ""}}},
      {"ratio", "pax.xz", {{"ok.txt", AE_IFREG, "fine"}, {"zeros.bin", AE_IFREG, std::string(3 << 20, '\0')}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    t.write("dst/keep.txt", "mine");
    t.write("dst/ok.txt", "old");
    write_archive(t.native("bad.arc"), c.format, c.items);
    Tree before = t.tree();
    EXPECT_EQ(unpack("bad.arc", "dst"), Status::Refused);
    EXPECT_EQ(t.tree(), before);
    EXPECT_EQ(t.read("dst/ok.txt"), "old");
  }
}

TEST_F(Archive, LinksThatStayInsideAreKept) {
  write_archive(
      t.native("l.tar"), "pax",
      {{"sub/a.txt", AE_IFREG, "A"}, {"sub/link", AE_IFLNK, "", "a.txt"}, {"hard", AE_IFREG, "", "sub/a.txt", true}});
  ASSERT_EQ(unpack("l.tar", "dst"), Status::Ok);
  EXPECT_EQ(t.read("dst/sub/link"), "A");
  EXPECT_EQ(t.read("dst/hard"), "A");
  EXPECT_TRUE(links_stay_inside(t.native("dst")));
}

TEST_F(Archive, CountAndSizeLimitsRefuseTheWholeArchive) {
  std::vector<Item> items;
  for (int i = 0; i < 11; ++i) items.push_back({"d/" + std::to_string(i), AE_IFREG, std::string(100, 'x')});
  write_archive(t.native("many.tar"), "pax", items);
  Limits ten_entries;
  ten_entries.max_entries = 10;
  EXPECT_EQ(unpack("many.tar", "dst", {}, {}, ten_entries), Status::Refused);
  Limits small;
  small.max_unpacked_bytes = 1050;
  EXPECT_EQ(unpack("many.tar", "dst", {}, {}, small), Status::Refused);
  EXPECT_FALSE(t.exists("dst/d"));
  small.max_unpacked_bytes = 1100;
  EXPECT_EQ(unpack("many.tar", "dst", {}, {}, small), Status::Ok);
  EXPECT_EQ(t.read("dst/d/10"), std::string(100, 'x'));
}

TEST_F(Archive, BrokenArchivesChangeNothing) {
  t.write("dst/keep.txt", "mine");
  t.write("junk.zip", "PK\x03\x04 this is not really an archive");
  EXPECT_NE(unpack("junk.zip", "dst"), Status::Ok);
  t.write("src/a.txt", std::string(100000, 'a'));
  ASSERT_EQ(write_zip(t.native("cut.zip"), {{"a.txt", t.native("src/a.txt")}, {"b.txt", t.native("src/a.txt")}}, ""),
            Status::Ok);
  std::string whole = t.read("cut.zip");
  t.write("cut.zip", whole.substr(0, whole.size() - 300));  // central directory and some data gone
  EXPECT_NE(unpack("cut.zip", "dst"), Status::Ok);
  EXPECT_EQ(t.tree(), (Tree{"cut.zip", "dst/", "dst/keep.txt", "junk.zip", "src/", "src/a.txt"}));
}

TEST_F(Archive, FilterSelectsEntries) {
  write_archive(t.native("f.zip"), "zip",
                {{"a.txt", AE_IFREG, "a"}, {"b.log", AE_IFREG, "b"}, {"s/c.txt", AE_IFREG, "c"}});
  ASSERT_EQ(unpack("f.zip", "dst", {}, [](std::string_view n) { return n.ends_with(".txt"); }), Status::Ok);
  EXPECT_EQ(t.tree(), (Tree{"dst/", "dst/a.txt", "dst/s/", "dst/s/c.txt", "f.zip"}));
}

TEST_F(Archive, MergeReplacesFilesAndRefusesTypeConflictsWhole) {
  t.write("stage/a.txt", "new");
  t.write("stage/sub/b.txt", "new b");
  t.write("dst/a.txt", "old");
  t.write("dst/sub/other.txt", "other");
  ASSERT_TRUE(merge_into(t.native("stage"), t.native("dst")));
  EXPECT_EQ(t.read("dst/a.txt"), "new");
  EXPECT_EQ(t.read("dst/sub/b.txt"), "new b");
  EXPECT_EQ(t.read("dst/sub/other.txt"), "other");

  t.write("stage2/x.txt", "x");
  t.write("stage2/sub", "a file where a folder is");
  Tree before = t.tree();
  EXPECT_FALSE(merge_into(t.native("stage2"), t.native("dst")));
  EXPECT_EQ(t.tree(), before);
}

// ---- RAR ----

uint32_t crc32(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

// A block: CRC16 (low half of CRC-32 over everything after it), type,
// flags, size, then the rest of the header.
std::string rar_block(uint8_t type, uint16_t flags, const std::string& rest) {
  std::string body;
  body += static_cast<char>(type);
  put16(body, flags);
  put16(body, static_cast<uint32_t>(7 + rest.size()));
  body += rest;
  std::string out;
  put16(out, crc32(body) & 0xFFFF);
  return out + body;
}

// A stored (method 0x30) file or folder entry of a RAR 4 archive, as the
// RAR 4 technical note lays it out; names in the ANSI code page, no
// Unicode flag, host OS Windows.
std::string rar_file(const std::string& name, const std::string& data, bool folder = false) {
  std::string h;
  put32(h, static_cast<uint32_t>(data.size()));  // packed size
  put32(h, static_cast<uint32_t>(data.size()));  // unpacked size
  h += '\x02';                                   // Windows
  put32(h, crc32(data));
  put32(h, 0x5A8E6000);  // DOS date and time
  h += '\x14';           // version 2.0 needed
  h += '\x30';           // stored
  put16(h, static_cast<uint32_t>(name.size()));
  put32(h, folder ? 0x10 : 0x20);  // attributes
  h += name;
  uint16_t flags = 0x8000 | (folder ? 0x00E0 : 0);
  return rar_block(0x74, flags, h) + data;
}

std::string rar4(const std::vector<std::string>& files) {
  std::string out("Rar!\x1a\x07\x00", 7);
  out += rar_block(0x73, 0, std::string(6, '\0'));  // main header, two reserved fields
  for (const auto& f : files) out += f;
  out += rar_block(0x7B, 0x4000, "");  // end of archive
  return out;
}

TEST_F(Archive, StoredRar4Unpacks) {
  t.write("t.rar", rar4({rar_file("docs", "", true), rar_file("docs\\readme.txt", "hello rar"),
                         rar_file("\xd6\xd0\xce\xc4.txt", "gbk name")}));  // "中文.txt" in GBK
  ASSERT_EQ(unpack("t.rar", "dst"), Status::Ok);
  EXPECT_EQ(t.read("dst/docs/readme.txt"), "hello rar");
  EXPECT_EQ(t.read("dst/中文.txt"), "gbk name");
}

TEST_F(Archive, Rar4EntryClimbingOutIsRefused) {
  t.write("dst/keep.txt", "mine");
  t.write("bad.rar", rar4({rar_file("fine.txt", "ok"), rar_file("..\\..\\evil.txt", "x")}));
  Tree before = t.tree();
  EXPECT_EQ(unpack("bad.rar", "dst"), Status::Refused);
  EXPECT_EQ(t.tree(), before);
}

// ---- packing a folder as it is sent ----

TEST_F(Archive, FolderStreamsAsZipWithOnlyWhatIsInside) {
  t.write("src/a.txt", "alpha");
  t.write("src/中文/深层/说明.txt", "说明内容");
  t.write("src/photo.jpg", std::string(5000, 'j'));
  t.mkdir("src/empty");
  t.write("outside/secret.txt", "secret");
  std::filesystem::create_symlink(t.native("outside"), t.native("src/away"));
  std::filesystem::create_symlink(t.native("outside/secret.txt"), t.native("src/secret.txt"));
  ASSERT_EQ(::mkfifo(t.native("src/pipe").c_str(), 0600), 0);
  t.write(std::string("src/bad\xff.txt"), "not UTF-8");

  std::string zip;
  size_t pieces = 0;
  FolderZipCounts counts;
  ASSERT_EQ(stream_folder_zip(
                t.native("src"), "包",
                [&](const char* d, size_t n) {
                  zip.append(d, n);
                  ++pieces;
                  return true;
                },
                &counts),
            Status::Ok);
  EXPECT_EQ(counts.files, 3u);
  EXPECT_EQ(counts.folders, 4u);   // 包, 包/empty, 包/中文, 包/中文/深层
  EXPECT_EQ(counts.left_out, 4u);  // two links, the pipe, the name
  EXPECT_GT(pieces, 0u);
  std::ofstream(t.native("got.zip"), std::ios::binary) << zip;
  ASSERT_EQ(unpack("got.zip", "dst"), Status::Ok);
  EXPECT_EQ(t.read("dst/包/a.txt"), "alpha");
  EXPECT_EQ(t.read("dst/包/中文/深层/说明.txt"), "说明内容");
  EXPECT_EQ(t.read("dst/包/photo.jpg"), std::string(5000, 'j'));
  EXPECT_TRUE(t.is_folder("dst/包/empty"));
  for (const auto& p : t.tree()) {
    if (p.starts_with("dst/")) {
      EXPECT_EQ(p.find("secret"), std::string::npos) << p;
    }
  }
  EXPECT_TRUE(static_cast<unsigned char>(zip[7]) & 0x08) << "language-encoding flag (bit 11)";
}

TEST_F(Archive, FolderStreamStopsWhenTheClientGoes) {
  std::string big(3 << 20, '\0');
  std::mt19937 noise(7);  // does not deflate: the archive is as large as the files
  for (char& c : big) c = static_cast<char>(noise());
  t.write("src/one.bin", big);
  t.write("src/two.bin", big);
  size_t sent = 0;
  EXPECT_EQ(stream_folder_zip(t.native("src"), "src",
                              [&](const char*, size_t n) {
                                sent += n;
                                return sent < (1u << 20);
                              }),
            Status::CannotWrite);
  EXPECT_LT(sent, 2u << 20);
  EXPECT_EQ(stream_folder_zip(t.native("missing"), "x", [](const char*, size_t) { return true; }), Status::CannotOpen);
}

}  // namespace
}  // namespace brevane::archive
