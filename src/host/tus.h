// Resumable uploads over the tus 1.0 protocol (core, creation, termination,
// expiration and the sha1 checksum): a client creates an upload with its
// length, sends it in PATCH pieces, asks with HEAD how much arrived after an
// interruption and goes on from there. Partial uploads are files in a folder
// of their own (<id>.part and <id>.info), so they outlive the host process;
// they go away on termination, once finished, and after the expiry time.
// A finished upload is saved as an upload item of the parser would be:
// its extension checked against the Exe list, its size against the limits,
// its name chosen and written by SavetoFile with the configured option.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/site_map.h"

namespace httplib {
class Server;
}

namespace brevane::host {

struct TusConfig {
  // The endpoint's site path, ending in "/"; uploads are <url><id>.
  std::string url = "/brevane-tus/";
  // Where partial uploads live; empty: no endpoint.
  std::filesystem::path dir;
  // The rules a finished file is saved under, as a page would set them on
  // the parser and pass to SavetoFile. Sizes: 0 for no limit.
  std::string folder = "/UploadFile/";  // site path or physical path
  std::string exe;                      // the Exe list, "" for any
  double single_size = 0, max_size = 0;
  int option = 0;  // SavetoFile's naming option
  bool overwrite = false;
  std::chrono::seconds expiry{std::chrono::hours(24)};
};

// One HTTP answer, built without the server so the protocol can be tested
// on its own.
struct TusReply {
  int status = 204;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  std::string header(const std::string& name) const;
};

class TusStore {
 public:
  TusStore(TusConfig config, const SiteMap& site);

  // Headers of a request as the protocol reads them (names compared as
  // given: the server glue passes them in canonical form).
  using Headers = std::map<std::string, std::string, std::less<>>;

  TusReply options() const;
  TusReply create(const Headers& h);
  TusReply head(const std::string& id);
  TusReply terminate(const std::string& id);

  // One PATCH: start() checks the request and returns a session to feed the
  // body to, or the refusal in `reply`.
  class Patch {
   public:
    ~Patch();
    // false once the piece cannot be taken (the reply says why).
    bool write(const char* data, size_t n);
    // The body ended; `whole`: it arrived to the end.
    TusReply finish(bool whole);

   private:
    friend class TusStore;
    struct State;
    std::unique_ptr<State> s_;
  };
  std::unique_ptr<Patch> start_patch(const std::string& id, const Headers& h, TusReply& reply);

  // Removes uploads untouched for longer than the expiry time.
  void expire();
  // GET/HEAD/POST/PATCH/DELETE/OPTIONS under the endpoint's url; registered
  // before the catch-all routes.
  void install(httplib::Server& server);

  const TusConfig& config() const { return config_; }
  static bool valid_id(const std::string& id);

 private:
  struct Info {
    uint64_t length = 0;
    std::string metadata;  // the Upload-Metadata header as sent
    std::string saved;     // set once finished: where the file went
  };
  std::filesystem::path part_path(const std::string& id) const { return config_.dir / (id + ".part"); }
  std::filesystem::path info_path(const std::string& id) const { return config_.dir / (id + ".info"); }
  bool read_info(const std::string& id, Info& info) const;
  bool write_info(const std::string& id, const Info& info) const;
  void remove(const std::string& id);
  TusReply save_finished(const std::string& id, Info& info);
  TusReply refusal(int status, std::string text) const;
  bool claim(const std::string& id);
  void release(const std::string& id);

  TusConfig config_;
  const SiteMap& site_;
  std::mutex mutex_;
  std::set<std::string> busy_;  // uploads a PATCH is writing to
};

}  // namespace brevane::host
