#include "host/http_host.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "core/codepage.h"
#include "host/file_body.h"
#include "host/progress.h"
#include "host/socket_stream.h"
#include "host/stores.h"
#include "host/urlcodec.h"
#include "transfer/download.h"

namespace brevane::host {

namespace {

using Clock = std::chrono::steady_clock;

// Filled by the handler for the logger, which runs on the same thread once
// the response is written.
thread_local Clock::time_point t_started;
thread_local std::string t_note;

bool has_prefix_ci(std::string_view path, std::string_view prefix) {
  if (path.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(path[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return path.size() == prefix.size() || path[prefix.size()] == '/' || prefix.ends_with('/');
}

bool iequals_ascii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool is_asp(const fs::path& p) {
  std::string ext = p.extension().string();
  return ext.size() == 4 && std::tolower(static_cast<unsigned char>(ext[1])) == 'a' &&
         std::tolower(static_cast<unsigned char>(ext[2])) == 's' &&
         std::tolower(static_cast<unsigned char>(ext[3])) == 'p';
}

std::string cookie_value(const std::string& header, std::string_view name) {
  size_t pos = 0;
  while (pos < header.size()) {
    size_t semi = header.find(';', pos);
    std::string seg = header.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos);
    size_t b = seg.find_first_not_of(' ');
    if (b != std::string::npos) seg.erase(0, b);
    if (seg.size() > name.size() && seg.compare(0, name.size(), name) == 0 && seg[name.size()] == '=')
      return seg.substr(name.size() + 1);
    if (semi == std::string::npos) break;
    pos = semi + 1;
  }
  return {};
}

// Workers made as connections need them, up to a bound, and kept for the
// next ones. The library's pool starts all of its threads at once.
class GrowingPool : public httplib::TaskQueue {
 public:
  explicit GrowingPool(size_t max) : max_(max) {}
  void enqueue(std::function<void()> fn) override {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(fn));
    if (jobs_.size() > idle_ && threads_.size() < max_) {
      try {
        threads_.emplace_back([this] { work(); });
        return;
      } catch (const std::system_error&) {
        // Out of threads for now: the job waits for a free worker.
      }
    }
    wake_.notify_one();
  }
  void shutdown() override {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

 private:
  void work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ++idle_;
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
      --idle_;
      if (jobs_.empty()) return;
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
  }

  const size_t max_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> threads_;
  size_t idle_ = 0;
  bool stop_ = false;
};

std::string error_html(int status, const std::string& message) {
  return "<html><head><title>" + std::to_string(status) + "</title></head><body><h1>" + std::to_string(status) +
         "</h1><p>" + html_escape(message) + "</p></body></html>";
}

void plain_error(httplib::Response& res, int status, const std::string& message) {
  res.status = status;
  res.set_content(error_html(status, message), "text/html");
}

}  // namespace

struct HttpHost::Impl {
  HostConfig config;
  PageRegistry pages;
  SessionManager sessions;
  ApplicationState application;
  // Before the server, so they outlive its workers.
  ProgressBoard progress;
  TusStore tus{config.tus, config.site};
  Operations ops{config.operate};
  std::unique_ptr<httplib::Server> server_owner = ops.make_server();  // plain or TLS
  httplib::Server& server = *server_owner;
  socket_t listen_socket = INVALID_SOCKET;
  int port = -1;

  Impl(HostConfig c, PageRegistry p) : config(std::move(c)), pages(std::move(p)) {}

  void setup();
  void handle(const httplib::Request& req, httplib::Response& res, std::shared_ptr<BodySpool> body);
  void run_page(const PageHandler& page, const std::string& path, const httplib::Request& req,
                std::shared_ptr<BodySpool> body, httplib::Response& res);
  bool serve_file(const httplib::Request& req, const std::string& path, httplib::Response& res);
  void send_stream_body(const httplib::Request& req, httplib::Response& res, StreamBody stream,
                        const std::string& content_type);
  void send_file_body(const httplib::Request& req, httplib::Response& res, std::shared_ptr<const FileBody> file,
                      const std::string& content_type);
  void log(const httplib::Request& req, const httplib::Response& res);
};

void HttpHost::Impl::setup() {
  if (!config.tus.dir.empty()) config.limits.streamed_patch_path = config.tus.url;
  server.set_payload_max_length(static_cast<size_t>(config.operate.max_body));
  ops.attach(sessions, application);
  // The library's own pool has max(8, cores - 1) workers: eight silent
  // connections took the whole host.
  server.new_task_queue = [this, n = std::max<size_t>(config.workers, 8)] {
    return ops.count_connections(new GrowingPool(n));
  };
  server.set_read_timeout(config.timeout_seconds, 0);
  server.set_write_timeout(config.timeout_seconds, 0);
  server.set_tcp_nodelay(true);
  // The library listens with a backlog of 5: in a burst, connections beyond
  // that wait for the client to retry (a second or more). bind() listens on
  // the bound socket again with the system's backlog.
  server.set_socket_options([this](socket_t sock) {
    httplib::default_socket_options(sock);
    listen_socket = sock;
  });
  server.set_keep_alive_max_count(std::max<size_t>(config.keep_alive_requests, 1));
  server.set_keep_alive_timeout(config.keep_alive_seconds);
  server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    t_started = Clock::now();
    t_note.clear();
    if (Refusal no = refuse_request(req, config.limits); no.status) {
      t_note = "refused";
      answer_and_close(res, no.status, error_html(no.status, no.message));
      return httplib::Server::HandlerResponse::Handled;
    }
    if (ops.answer(req, res)) return httplib::Server::HandlerResponse::Handled;
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.set_logger([this](const httplib::Request& req, const httplib::Response& res) { log(req, res); });
  progress.install(server);
  tus.install(server);
  server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
    auto body = std::make_shared<BodySpool>(config.spool_memory_limit, config.temp_dir);
    body->append(req.body.data(), req.body.size());
    handle(req, res, std::move(body));
  });
  server.Post(".*", [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    // Stored once, in the form the upload parser takes over (see spool.h).
    auto body =
        std::make_shared<BodySpool>(config.spool_memory_limit, config.temp_dir, req.get_header_value("Content-Type"));
    // Asked to read a multipart body, cpp-httplib parses it into parts; the
    // page wants the bytes as sent (Request.BinaryRead), so the content type
    // is out of sight while the body is read. The request object is the
    // library's own non-const one, lent to us as const.
    auto& mutable_req = const_cast<httplib::Request&>(req);
    std::vector<std::string> types;
    for (auto it = mutable_req.headers.find("Content-Type");
         it != mutable_req.headers.end() && it->first == "Content-Type";
         it = mutable_req.headers.find("Content-Type")) {
      types.push_back(it->second);
      mutable_req.headers.erase(it);
    }
    std::string spool_error;
    ProgressWatch watch(progress, req);
    BodyPace pace(std::chrono::seconds(config.timeout_seconds), config.min_body_rate, t_started);
    bool late = false;
    bool ok = reader([&](const char* data, size_t n) {
      if (!pace.keep_up(n)) return !(late = true);
      try {
        body->append(data, n);
        watch.add(n);
        return true;
      } catch (const std::exception& e) {
        spool_error = e.what();
        return false;
      }
    });
    for (auto& t : types) mutable_req.headers.emplace("Content-Type", t);
    if (!spool_error.empty()) {
      t_note = "spool: " + spool_error;
      plain_error(res, 500, "The request body could not be stored.");
      return;
    }
    if (late) {
      t_note = "body too slow";
      answer_and_close(res, 408, error_html(408, "The request body arrived too slowly."));
      return;
    }
    if (!ok) {
      t_note = "body not received";
      if (res.status < 400) plain_error(res, 400, "The request body was not received.");
      return;
    }
    handle(req, res, std::move(body));
  });
}

void HttpHost::Impl::handle(const httplib::Request& req, httplib::Response& res, std::shared_ptr<BodySpool> body) {
  std::string target = req.target;
  std::string raw_path = target.substr(0, target.find('?'));
  std::string path = percent_decode(raw_path, false);
  if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos) {
    plain_error(res, 400, "Bad request path.");
    return;
  }
  if (path.ends_with('/')) {
    for (const auto& name : config.index_names) {
      if (const PageHandler* h = pages.find(path + name)) {
        run_page(*h, path + name, req, body, res);
        return;
      }
      if (serve_file(req, path + name, res)) return;
    }
    plain_error(res, 404, "Not found.");
    return;
  }
  if (const PageHandler* h = pages.find(path)) {
    run_page(*h, path, req, body, res);
    return;
  }
  if (serve_file(req, path, res)) return;
  // A folder named without its final "/": send the browser to the folder so
  // relative links in its index resolve.
  std::error_code ec;
  bool has_index = false;
  for (const auto& name : config.index_names) has_index = has_index || pages.find(path + "/" + name);
  fs::path folder = config.site.root / fs::path(path.substr(1));
  bool is_private = false;
  for (const auto& p : config.private_prefixes) is_private = is_private || has_prefix_ci(path, p);
  if (has_index || (fs::is_directory(folder, ec) && !is_private)) {
    res.set_redirect(raw_path + "/" + (target.size() > raw_path.size() ? target.substr(raw_path.size()) : ""), 301);
    return;
  }
  plain_error(res, 404, "Not found.");
}

void HttpHost::Impl::run_page(const PageHandler& handler, const std::string& path, const httplib::Request& req,
                              std::shared_ptr<BodySpool> body, httplib::Response& res) {
  const CodePage& cp = CodePage::ansi();
  RequestInfo info;
  info.method = req.method;
  info.url_path = path;
  size_t q = req.target.find('?');
  if (q != std::string::npos) info.query = req.target.substr(q + 1);
  info.http_version = req.version;
  for (const auto& [k, v] : req.headers) info.headers.emplace_back(k, v);
  info.remote_addr = ops.remote_address(req);
  info.secure = !config.operate.cert_file.empty();
  info.remote_port = req.remote_port;
  info.local_addr = req.local_addr;
  info.local_port = req.local_port;
  try {
    info.physical_path = to_utf8(config.site.map_path(from_utf8(path), "/"));
  } catch (const ScriptError&) {
  }
  info.body = std::move(body);
  std::string session_id = cookie_value(req.get_header_value("Cookie"), SessionManager::kCookieName);

  auto request = std::make_shared<HostRequest>(std::move(info), cp);
  auto response = std::make_shared<HostResponse>(cp);
  auto server_obj = std::make_shared<HostServer>(config.site, path, cp);
  auto session = std::make_shared<HostSession>(sessions, session_id);
  auto app = std::make_shared<HostApplication>(application);
  PageContext context{Variant(ObjectPtr(request)), Variant(ObjectPtr(response)), Variant(ObjectPtr(server_obj)),
                      Variant(ObjectPtr(session)), Variant(ObjectPtr(app))};
  std::string failure;
  {
    PageScope scope(context);
    Page page{context, *response, config.site, path};
    try {
      handler(page);
    } catch (const ScriptError& e) {
      char code[16];
      std::snprintf(code, sizeof code, "800a%04x", static_cast<unsigned>(e.number()) & 0xFFFF);
      t_note = "error " + std::to_string(e.number()) + ": " + to_utf8(e.description());
      failure = "<font face=\"Arial\" size=2><p>Run-time error '" + std::string(code) + "'</p><p>Error " +
                std::to_string(e.number()) + ": " + html_escape(cp.encode(e.description())) + "</p><p>" +
                html_escape(path) + "</p></font>";
    } catch (const std::exception& e) {
      t_note = std::string("exception: ") + e.what();
      failure = "<p>Internal error</p><p>" + html_escape(path) + "</p>";
    }
  }
  app->release();
  ResponseOut out = response->finish();
  if (!failure.empty()) {
    out.status = 500;
    out.reason = "Internal Server Error";
    out.body += failure;
  }
  res.status = out.status;
  std::string content_type = "text/html";
  bool file_body = out.file && failure.empty();
  bool stream_body = out.stream && failure.empty();
  for (auto& [k, v] : out.headers) {
    if (k == "Content-Type")
      content_type = v;
    else if (!((file_body || stream_body) && iequals_ascii(k, "Content-Length")))  // the length sent is the range's
      res.headers.emplace(k, v);
  }
  if (std::string id = session->cookie_to_set(); !id.empty())
    res.headers.emplace("Set-Cookie", std::string(SessionManager::kCookieName) + "=" + id + "; path=/; HttpOnly");
  if (file_body)
    send_file_body(req, res, std::move(out.file), content_type);
  else if (stream_body)
    send_stream_body(req, res, std::move(out.stream), content_type);
  else
    res.set_content(std::move(out.body), content_type);
}

void HttpHost::Impl::send_file_body(const httplib::Request& req, httplib::Response& res,
                                    std::shared_ptr<const FileBody> file, const std::string& content_type) {
  // Ranges are answered here, against the file's validators; the library's
  // own range handling (parsed before routing) must not apply a second time.
  const_cast<httplib::Request&>(req).ranges.clear();
  RangeAnswer answer = answer_range(req.get_header_value("Range"), req.get_header_value("If-Range"), file->size(),
                                    file->etag(), file->last_modified());
  res.set_header("Accept-Ranges", "bytes");
  res.set_header("ETag", file->etag());
  res.set_header("Last-Modified", file->last_modified());
  if (answer.status == 416) {
    res.status = 416;
    res.set_header("Content-Range", answer.content_range);
    res.set_content("", "text/plain");
    return;
  }
  if (answer.status == 206) {
    res.status = 206;
    res.set_header("Content-Range", answer.content_range);
  }
  uint64_t start = answer.offset;
  res.set_content_provider(static_cast<size_t>(answer.length), content_type,
                           [file, start](size_t offset, size_t length, httplib::DataSink& sink) {
                             char buf[65536];
                             int64_t got = file->read_at(start + offset, buf, std::min(length, sizeof buf));
                             if (got <= 0) return false;  // the file shrank or failed: cut the answer short
                             return sink.write(buf, static_cast<size_t>(got));
                           });
}

void HttpHost::Impl::send_stream_body(const httplib::Request& req, httplib::Response& res, StreamBody stream,
                                      const std::string& content_type) {
  // Chunked: the length is known only at the end, and there is nothing to
  // take a range of.
  const_cast<httplib::Request&>(req).ranges.clear();
  res.set_header("Accept-Ranges", "none");
  res.set_chunked_content_provider(content_type, [stream = std::move(stream)](size_t, httplib::DataSink& sink) {
    bool whole = stream([&sink](const char* data, size_t size) { return sink.write(data, size); });
    if (whole) sink.done();
    return whole;
  });
}

bool HttpHost::Impl::serve_file(const httplib::Request& req, const std::string& path, httplib::Response& res) {
  for (const auto& p : config.private_prefixes)
    if (has_prefix_ci(path, p)) return false;
  std::optional<fs::path> file = config.site.resolve_file(path);
  if (!file) return false;
  // Server files a site keeps beside its pages (a database, a script under a
  // trailing dot) are never handed out, as the download routine refuses them.
  if (!is_asp(*file) && download_refused(from_utf8(file->filename().string()))) return false;
  std::shared_ptr<const FileBody> body = FileBody::open(file->string());
  if (!body) return false;
  std::string type = content_type_for(*file);
  if (is_asp(*file)) {
    // Pages refer to their images by ".asp" names; anything else under such
    // a name would be a script, and scripts are never handed out as text.
    char head[16] = {};
    int64_t got = body->read_at(0, head, sizeof head);
    std::string_view sniffed = sniff_image_type(std::string_view(head, got > 0 ? static_cast<size_t>(got) : 0));
    if (sniffed.empty()) return false;
    type = sniffed;
  }
  if (ops.compress_file(type, body->size())) {
    // Held in memory, a small text file is compressed when the client accepts it.
    std::string text(static_cast<size_t>(body->size()), '\0');
    size_t have = 0;
    for (int64_t got; have < text.size() && (got = body->read_at(have, text.data() + have, text.size() - have)) > 0;)
      have += static_cast<size_t>(got);
    text.resize(have);
    res.status = 200;
    res.set_content(std::move(text), type);
    return true;
  }
  // Ranges (a video scrubbed, a download resumed) are answered with 206 or
  // 416 against the file's validators, as for files a page sends.
  send_file_body(req, res, std::move(body), type);
  return true;
}

void HttpHost::Impl::log(const httplib::Request& req, const httplib::Response& res) {
  auto ms = std::chrono::duration<double, std::milli>(Clock::now() - t_started).count();
  size_t bytes = res.body.size();
  if (bytes == 0 && res.has_header("Content-Length")) bytes = std::stoull(res.get_header_value("Content-Length"));
  if (ops.finished(config.log, req, res, bytes, ms, t_note) || !config.log) return;
  std::string path = req.target.substr(0, req.target.find('?'));
  std::fprintf(config.log, "%s %s %s %d %zu %.1fms%s%s\n", req.remote_addr.c_str(), req.method.c_str(), path.c_str(),
               res.status, bytes, ms, t_note.empty() ? "" : " ", t_note.c_str());
  std::fflush(config.log);
}

HttpHost::HttpHost(HostConfig config, PageRegistry pages)
    : impl_(std::make_unique<Impl>(std::move(config), std::move(pages))) {
  impl_->setup();
}

HttpHost::~HttpHost() = default;

int HttpHost::bind() {
  if (impl_->config.port == 0) {
    impl_->port = impl_->server.bind_to_any_port(impl_->config.host);
  } else {
    impl_->port = impl_->server.bind_to_port(impl_->config.host, impl_->config.port) ? impl_->config.port : -1;
  }
  if (impl_->port > 0) ::listen(impl_->listen_socket, SOMAXCONN);
  return impl_->port;
}

bool HttpHost::serve() {
  bool served = impl_->server.listen_after_bind();
  auto* buffered = dynamic_cast<BufferedServer*>(&impl_->server);
  return served || (buffered && buffered->draining());
}

void HttpHost::stop() {
  if (auto* buffered = dynamic_cast<BufferedServer*>(&impl_->server))
    buffered->drain();
  else
    impl_->server.stop();  // TLS: the library's own stop
}

void HttpHost::wait_until_ready() {
  while (!impl_->server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace brevane::host
