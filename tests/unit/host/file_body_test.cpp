#include "host/file_body.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "core/codepage.h"
#include "core/object.h"
#include "host/page_objects.h"
#include "host/site_map.h"

namespace brevane::host {
namespace {

TEST(AnswerRange, Table) {
  const std::string etag = "\"a-1\"", date = "Mon, 07 Dec 2026 03:00:00 GMT";
  struct Case {
    const char* range;
    const char* if_range;
    uint64_t size;
    int status;
    uint64_t offset, length;
    const char* content_range;
  } cases[] = {
      {"", "", 100, 200, 0, 100, ""},
      {"bytes=0-9", "", 100, 206, 0, 10, "bytes 0-9/100"},
      {"bytes=90-", "", 100, 206, 90, 10, "bytes 90-99/100"},
      {"bytes=90-500", "", 100, 206, 90, 10, "bytes 90-99/100"},
      {"bytes=-30", "", 100, 206, 70, 30, "bytes 70-99/100"},
      {"bytes=-300", "", 100, 206, 0, 100, "bytes 0-99/100"},
      {"BYTES= 5-5", "", 100, 206, 5, 1, "bytes 5-5/100"},
      {"bytes=100-", "", 100, 416, 0, 0, "bytes */100"},
      {"bytes=-0", "", 100, 416, 0, 0, "bytes */100"},
      {"bytes=0-", "", 0, 416, 0, 0, "bytes */0"},
      {"bytes=9-3", "", 100, 200, 0, 100, ""},
      {"bytes=0-1,5-6", "", 100, 200, 0, 100, ""},
      {"items=0-1", "", 100, 200, 0, 100, ""},
      {"bytes=x-1", "", 100, 200, 0, 100, ""},
      {"bytes=1-2", "\"a-1\"", 100, 206, 1, 2, "bytes 1-2/100"},
      {"bytes=1-2", "Mon, 07 Dec 2026 03:00:00 GMT", 100, 206, 1, 2, "bytes 1-2/100"},
      {"bytes=1-2", "\"other\"", 100, 200, 0, 100, ""},
      {"bytes=1-2", "W/\"a-1\"", 100, 200, 0, 100, ""},
  };
  for (const auto& c : cases) {
    RangeAnswer a = answer_range(c.range, c.if_range, c.size, etag, date);
    EXPECT_EQ(a.status, c.status) << c.range << " " << c.if_range;
    if (a.status != 416) {
      EXPECT_EQ(a.offset, c.offset) << c.range;
      EXPECT_EQ(a.length, c.length) << c.range;
    }
    EXPECT_EQ(a.content_range, c.content_range) << c.range;
  }
}

TEST(TransmitFile, ResponseBodyBecomesTheFile) {
  std::string path = testing::TempDir() + "brevane-transmit-" + std::to_string(::getpid());
  std::ofstream(path, std::ios::binary) << "0123456789";
  auto response = std::make_shared<HostResponse>(CodePage::ansi());
  Variant r{ObjectPtr(response)};
  call(r, u"Write", {Variant(u"dropped")});
  call(r, u"TransmitFile", {Variant(to_windows_path(path))});
  call(r, u"Write", {Variant(u"ignored")});
  ResponseOut out = response->finish();
  ASSERT_TRUE(out.file);
  EXPECT_EQ(out.body, "");
  EXPECT_EQ(out.file->size(), 10u);
  char buf[4];
  EXPECT_EQ(out.file->read_at(6, buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "6789");
  EXPECT_EQ(out.file->etag().front(), '"');
  ::unlink(path.c_str());
  EXPECT_EQ(out.file->read_at(0, buf, 4), 4);  // open when checked, sent even if removed meanwhile

  auto other = std::make_shared<HostResponse>(CodePage::ansi());
  try {
    call(Variant(ObjectPtr(other)), u"TransmitFile", {Variant(to_windows_path(path))});
    ADD_FAILURE() << "a missing file raises";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.number(), kFileNotFound);
  }
}

}  // namespace
}  // namespace brevane::host
