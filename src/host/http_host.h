// A front end (on component): the native web host behind `brevane serve`.
// The native web host: serves one site folder over HTTP. Registered pages
// run with their own Request, Response, Server, Session and Application;
// everything else is a static file of the site.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/limits.h"
#include "host/operate.h"
#include "host/pages.h"
#include "host/site_map.h"
#include "host/spool.h"
#include "host/tus.h"

namespace brevane::host {

struct HostConfig {
  SiteMap site;
  std::string host = "127.0.0.1";
  int port = 8080;  // 0: any free port
  // Request bodies beyond this go to a temporary file in temp_dir.
  size_t spool_memory_limit = BodySpool::kMemoryLimit;
  std::string temp_dir;
  // Site paths never served as files (the database lives under /data).
  std::vector<std::string> private_prefixes = {"/data"};
  std::vector<std::string> index_names = {"index.asp", "default.asp", "index.html", "index.htm"};
  std::FILE* log = stderr;  // one line per request; nullptr for none
  // A connection is served by one worker from its request line to its
  // answer: a client that sends slowly or not at all holds one. Enough
  // workers that a few hundred such clients leave room for the rest, and a
  // time-out that closes a connection silent for that long.
  size_t workers = 512;
  int timeout_seconds = 20;
  TusConfig tus;          // resumable uploads; off while tus.dir is empty
  OperateConfig operate;  // HTTPS, proxies, JSON log, metrics, session store
  // Requests one connection may make, and how long it may sit idle between
  // them; a request body gets timeout_seconds and one second more for every
  // min_body_rate bytes it brings.
  size_t keep_alive_requests = 100;
  int keep_alive_seconds = 5;
  size_t min_body_rate = 1024;
  RequestLimits limits;
};

class HttpHost {
 public:
  HttpHost(HostConfig config, PageRegistry pages);
  ~HttpHost();
  HttpHost(const HttpHost&) = delete;
  HttpHost& operator=(const HttpHost&) = delete;

  // The port now listened on, or -1 when the address cannot be bound.
  int bind();
  // Serves until stop(); false when listening failed.
  bool serve();
  void stop();
  // Blocks until serve() has started accepting.
  void wait_until_ready();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace brevane::host
