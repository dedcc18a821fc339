#include "host/operate.h"

#include <gtest/gtest.h>

namespace brevane::host {
namespace {

TEST(ClientAddress, ForwardedForIsBelievedOnlyFromTrustedProxies) {
  const std::vector<std::string> trusted = {"127.0.0.1", "10.0.0.0/8", "fd00::/8"};
  struct Case {
    const char* peer;
    const char* forwarded;
    const char* want;
  };
  const Case cases[] = {
      {"203.0.113.9", "1.2.3.4", "203.0.113.9"},                         // not a proxy: the header is the client's own
      {"127.0.0.1", "198.51.100.7", "198.51.100.7"},                     // one trusted proxy
      {"127.0.0.1", "", "127.0.0.1"},                                    // a proxy that did not say
      {"127.0.0.1", "6.6.6.6, 198.51.100.7, 10.1.2.3", "198.51.100.7"},  // forged left part ignored
      {"10.9.9.9", " 198.51.100.7 ,10.0.0.2", "198.51.100.7"},
      {"127.0.0.1", "10.0.0.2, 10.0.0.3", "10.0.0.2"},  // proxies all the way
      {"127.0.0.1", "unknown", "127.0.0.1"},            // not an address: the proxy itself
      {"127.0.0.1", "2001:db8::1", "2001:db8::1"},
      {"::ffff:127.0.0.1", "198.51.100.7", "198.51.100.7"},  // IPv4 seen through an IPv6 socket
      {"fd12::1", "198.51.100.7", "198.51.100.7"},
      {"11.0.0.1", "198.51.100.7", "11.0.0.1"},  // just outside 10.0.0.0/8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.peer) + " / " + c.forwarded);
    EXPECT_EQ(client_address(c.peer, c.forwarded, trusted), c.want);
  }
  EXPECT_EQ(client_address("127.0.0.1", "198.51.100.7", {}), "127.0.0.1");
  EXPECT_FALSE(address_in_range("10.0.0.1", "10.0.0.0/33"));
  EXPECT_FALSE(address_in_range("10.0.0.1", "not-an-address"));
  EXPECT_TRUE(address_in_range("192.168.1.77", "192.168.1.64/26"));
  EXPECT_FALSE(address_in_range("192.168.1.128", "192.168.1.64/26"));
}

TEST(AccessLog, OneValidJsonLineWhateverTheClientSent) {
  AccessRecord r;
  r.time = "2026-01-02T03:04:05.678Z";
  r.remote = "127.0.0.1";
  r.method = "GET";
  r.path = "/a\"b\\c\n";
  r.status = 200;
  r.bytes_out = 12;
  r.user_agent = std::string("x\xff\xe4\xb8\xad\x01", 6);  // a stray byte, a good 中, a control
  r.ms = 1.5;
  EXPECT_EQ(json_log_line(r),
            "{\"time\":\"2026-01-02T03:04:05.678Z\",\"remote\":\"127.0.0.1\",\"method\":\"GET\","
            "\"path\":\"/a\\\"b\\\\c\\u000a\",\"query\":\"\",\"version\":\"\",\"status\":200,\"bytes_in\":0,"
            "\"bytes_out\":12,\"ms\":1.500,\"user_agent\":\"x\\ufffd\xe4\xb8\xad\\u0001\"}\n");
}

TEST(Metrics, CountsByStatusAndBucketsUploads) {
  Metrics m;
  m.request(200, 0, 100, false, 0.001);
  m.request(200, 5000, 10, true, 0.2);
  m.request(404, 0, 50, false, 0.001);
  m.connection_opened();
  std::string text = m.render();
  for (const char* line :
       {"brevane_requests_total{status=\"200\"} 2\n", "brevane_requests_total{status=\"404\"} 1\n",
        "brevane_received_bytes_total 5000\n", "brevane_sent_bytes_total 160\n", "brevane_active_connections 1\n",
        "brevane_upload_bytes_bucket{le=\"1000\"} 0\n", "brevane_upload_bytes_bucket{le=\"10000\"} 1\n",
        "brevane_upload_bytes_bucket{le=\"+Inf\"} 1\n", "brevane_upload_bytes_count 1\n",
        "brevane_upload_seconds_bucket{le=\"0.1\"} 0\n", "brevane_upload_seconds_bucket{le=\"0.5\"} 1\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

}  // namespace
}  // namespace brevane::host
