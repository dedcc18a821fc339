#include "host/limits.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace brevane::host {
namespace {

using std::chrono::seconds;

TEST(BodyPace, GraceThenASecondPerMinRateBytes) {
  const BodyPace::Clock::time_point t0{};
  struct Step {
    int at;
    size_t bytes;
    bool on_time;
  };
  // 10 s of grace, then 1000 bytes a second.
  const Step steps[] = {{5, 1, true}, {10, 1, true}, {11, 0, false}, {12, 2998, true}, {13, 0, true}, {14, 0, false}};
  BodyPace pace(seconds(10), 1000, t0);
  for (const Step& s : steps) EXPECT_EQ(pace.keep_up(s.bytes, t0 + seconds(s.at)), s.on_time) << "at " << s.at << " s";
}

TEST(RefuseRequest, HeaderSectionOtherBodiesAndBoundaries) {
  struct Case {
    const char* method;
    const char* path;
    size_t fields;
    size_t value_bytes;
    const char* content_type;
    const char* length;
    int status;
  };
  const Case cases[] = {
      {"GET", "/x.asp", 20, 100, "", "", 0},
      {"GET", "/x.asp", 101, 1, "", "", 431},
      {"GET", "/x.asp", 10, 7000, "", "", 431},
      {"PUT", "/x.asp", 1, 1, "", "100000", 413},
      {"GET", "/x.asp", 1, 1, "", "65536", 0},
      {"POST", "/x.asp", 1, 1, "multipart/form-data; boundary=abc", "100000000", 0},
      {"PATCH", "/tus/1", 1, 1, "application/offset+octet-stream", "100000000", 0},  // read piece by piece
      {"PATCH", "/x.asp", 1, 1, "application/offset+octet-stream", "100000000", 413},
      {"POST", "/x.asp", 1, 1,
       "multipart/form-data; boundary=\"" /* 71 */
       "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"",
       "10", 400},
  };
  RequestLimits limits;
  limits.streamed_patch_path = "/tus/";
  for (const Case& c : cases) {
    httplib::Request req;
    req.method = c.method;
    req.path = c.path;
    for (size_t i = 0; i < c.fields; ++i)
      req.headers.emplace("X-" + std::to_string(i), std::string(c.value_bytes, 'v'));
    if (*c.content_type) req.headers.emplace("Content-Type", c.content_type);
    if (*c.length) req.headers.emplace("Content-Length", c.length);
    EXPECT_EQ(refuse_request(req, limits).status, c.status) << c.method << " " << c.fields << " fields";
  }
}

}  // namespace
}  // namespace brevane::host
