#include "host/tus.h"

#include <fcntl.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>

#include "core/codepage.h"
#include "host/page_objects.h"
#include "platform/posix/unique_fd.h"
#include "upload/upload_file.h"

namespace brevane::host {

namespace {

constexpr const char* kVersion = "1.0.0";
constexpr const char* kOffsetType = "application/offset+octet-stream";

std::optional<uint64_t> parse_count(const std::string& s) {
  if (s.empty() || s.size() > 19) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  return v;
}

std::optional<std::string> base64_decode(std::string_view in) {
  if (in.empty()) return std::string();
  if (in.size() % 4) return std::nullopt;
  std::string out(in.size() / 4 * 3, '\0');
  int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                          reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(in.size()));
  if (n < 0) return std::nullopt;
  // The decoder counts the padding as zero bytes.
  size_t pad = in.ends_with("==") ? 2 : in.ends_with('=') ? 1 : 0;
  out.resize(static_cast<size_t>(n) - pad);
  return out;
}

// One value of Upload-Metadata ("key base64,key base64"), decoded.
std::string metadata_value(const std::string& header, std::string_view key) {
  size_t pos = 0;
  while (pos <= header.size()) {
    size_t comma = header.find(',', pos);
    std::string pair = header.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    size_t b = pair.find_first_not_of(' ');
    pair.erase(0, b == std::string::npos ? pair.size() : b);
    size_t space = pair.find(' ');
    if (pair.substr(0, space) == key) {
      if (space == std::string::npos) return {};
      if (auto v = base64_decode(pair.substr(space + 1))) return *v;
      return {};
    }
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return {};
}

bool metadata_well_formed(const std::string& header) {
  size_t pos = 0;
  while (!header.empty()) {
    size_t comma = header.find(',', pos);
    std::string pair = header.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    size_t b = pair.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    pair.erase(0, b);
    size_t space = pair.find(' ');
    if (space == 0) return false;
    if (space != std::string::npos && !base64_decode(pair.substr(space + 1))) return false;
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return true;
}

std::time_t mtime_of(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? st.st_mtime : 0;
}

const std::string& header_of(const TusStore::Headers& h, const char* name) {
  static const std::string none;
  auto it = h.find(name);
  return it == h.end() ? none : it->second;
}

}  // namespace

std::string TusReply::header(const std::string& name) const {
  for (const auto& [k, v] : headers)
    if (k == name) return v;
  return {};
}

TusStore::TusStore(TusConfig config, const SiteMap& site) : config_(std::move(config)), site_(site) {
  if (!config_.url.ends_with('/')) config_.url += '/';
}

bool TusStore::valid_id(const std::string& id) {
  return id.size() == 32 && id.find_first_not_of("0123456789abcdef") == std::string::npos;
}

TusReply TusStore::refusal(int status, std::string text) const {
  TusReply r;
  r.status = status;
  r.headers = {{"Tus-Resumable", kVersion}};
  r.body = std::move(text);
  return r;
}

TusReply TusStore::options() const {
  TusReply r;
  r.status = 204;
  r.headers = {{"Tus-Resumable", kVersion},
               {"Tus-Version", kVersion},
               {"Tus-Extension", "creation,termination,checksum,expiration"},
               {"Tus-Checksum-Algorithm", "sha1"}};
  double limit = config_.single_size > 0 && (config_.max_size <= 0 || config_.single_size < config_.max_size)
                     ? config_.single_size
                     : config_.max_size;
  if (limit > 0) r.headers.emplace_back("Tus-Max-Size", std::to_string(static_cast<uint64_t>(limit)));
  return r;
}

bool TusStore::read_info(const std::string& id, Info& info) const {
  std::ifstream in(info_path(id));
  std::string length;
  if (!in || !std::getline(in, length)) return false;
  auto n = parse_count(length);
  if (!n) return false;
  info.length = *n;
  std::getline(in, info.metadata);
  std::getline(in, info.saved);
  return true;
}

bool TusStore::write_info(const std::string& id, const Info& info) const {
  // Written beside and renamed, so a reader never sees half of it.
  fs::path tmp = info_path(id);
  tmp += ".new";
  {
    std::ofstream out(tmp, std::ios::trunc);
    out << info.length << '\n' << info.metadata << '\n' << info.saved << '\n';
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(tmp, info_path(id), ec);
  return !ec;
}

void TusStore::remove(const std::string& id) {
  std::error_code ec;
  fs::remove(part_path(id), ec);
  fs::remove(info_path(id), ec);
}

bool TusStore::claim(const std::string& id) {
  std::lock_guard lock(mutex_);
  return busy_.insert(id).second;
}

void TusStore::release(const std::string& id) {
  std::lock_guard lock(mutex_);
  busy_.erase(id);
}

TusReply TusStore::create(const Headers& h) {
  if (header_of(h, "Tus-Resumable") != kVersion) {
    TusReply r = refusal(412, "Tus-Resumable: 1.0.0 expected");
    r.headers.emplace_back("Tus-Version", kVersion);
    return r;
  }
  auto length = parse_count(header_of(h, "Upload-Length"));
  if (!length) return refusal(400, "Upload-Length: a byte count expected (deferred lengths are not supported)");
  const std::string& metadata = header_of(h, "Upload-Metadata");
  if (!metadata_well_formed(metadata) || metadata.find('\n') != std::string::npos)
    return refusal(400, "Upload-Metadata: key base64-value pairs expected");
  expire();

  // The rules are checked before a byte is sent, as they will be again
  // when the file is saved.
  std::string name = metadata_value(metadata, "filename");
  if (name.empty()) name = metadata_value(metadata, "name");
  UploadFile parser;
  if (!config_.exe.empty()) parser.set_Exe(Variant(from_utf8(config_.exe)));
  parser.set_SingleSize(Variant(config_.single_size));
  parser.set_MaxSize(Variant(config_.max_size));
  if (!parser.admit_file(from_utf8(name), Text(), *length, nullptr)) {
    int status = parser.error_id() == int(UploadError::TypeNotAllowed) ? 415 : 413;
    return refusal(status, to_utf8(parser.get_Description().to_text()));
  }

  unsigned char raw[16];
  if (RAND_bytes(raw, sizeof raw) != 1) return refusal(500, "no random id");
  std::string id;
  for (unsigned char c : raw) {
    static const char* hex = "0123456789abcdef";
    id += hex[c >> 4];
    id += hex[c & 15];
  }
  std::error_code ec;
  fs::create_directories(config_.dir, ec);
  Info info{*length, metadata, {}};
  {
    std::ofstream part(part_path(id), std::ios::binary | std::ios::trunc);
    if (!part || !write_info(id, info)) {
      remove(id);
      return refusal(500, "the upload could not be stored");
    }
  }
  TusReply r;
  r.status = 201;
  r.headers = {{"Tus-Resumable", kVersion},
               {"Location", config_.url + id},
               {"Upload-Expires", http_date(std::time(nullptr) + config_.expiry.count())}};
  if (*length == 0) {
    TusReply saved = save_finished(id, info);
    if (saved.status >= 300) return saved;
    for (auto& kv : saved.headers)
      if (kv.first == "Brevane-File") r.headers.push_back(kv);
  }
  return r;
}

TusReply TusStore::head(const std::string& id) {
  Info info;
  if (!valid_id(id) || !read_info(id, info)) return refusal(404, "no such upload");
  std::error_code ec;
  uint64_t offset = info.saved.empty() ? fs::file_size(part_path(id), ec) : info.length;
  if (ec) return refusal(404, "no such upload");
  TusReply r;
  r.status = 200;
  r.headers = {{"Tus-Resumable", kVersion},
               {"Upload-Offset", std::to_string(offset)},
               {"Upload-Length", std::to_string(info.length)},
               {"Cache-Control", "no-store"}};
  if (!info.metadata.empty()) r.headers.emplace_back("Upload-Metadata", info.metadata);
  if (!info.saved.empty()) r.headers.emplace_back("Brevane-File", info.saved);
  return r;
}

TusReply TusStore::terminate(const std::string& id) {
  Info info;
  if (!valid_id(id) || !read_info(id, info)) return refusal(404, "no such upload");
  if (!claim(id)) return refusal(423, "the upload is being written");
  remove(id);
  release(id);
  return refusal(204, {});
}

void TusStore::expire() {
  std::error_code ec;
  std::time_t now = std::time(nullptr);
  for (auto it = fs::directory_iterator(config_.dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    fs::path p = it->path();
    if (p.extension() != ".info") continue;
    std::string id = p.stem().string();
    if (!valid_id(id)) continue;
    std::time_t touched = std::max(mtime_of(p), mtime_of(part_path(id)));
    if (now - touched <= config_.expiry.count()) continue;
    if (!claim(id)) continue;
    remove(id);
    release(id);
  }
}

TusReply TusStore::save_finished(const std::string& id, Info& info) {
  std::string name = metadata_value(info.metadata, "filename");
  if (name.empty()) name = metadata_value(info.metadata, "name");
  std::string type = metadata_value(info.metadata, "filetype");
  if (type.empty()) type = metadata_value(info.metadata, "type");

  // The file goes into an upload stream, where an item of the parser finds
  // it, and SavetoFile names and writes it as for any posted file.
  auto stream = std::make_shared<UploadStream>();
  {
    stream->store.reserve(info.length);
    int fd = ::open(part_path(id).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return refusal(500, "the upload could not be read");
    std::vector<char> buf(1 << 20);
    uint64_t left = info.length;
    while (left) {
      ssize_t got = ::read(fd, buf.data(), std::min<uint64_t>(left, buf.size()));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      stream->store.append(reinterpret_cast<const uint8_t*>(buf.data()), static_cast<size_t>(got));
      left -= static_cast<uint64_t>(got);
    }
    ::close(fd);
    if (left) return refusal(500, "the upload could not be read");
    stream->open = true;
  }
  UploadFile parser;
  if (!config_.exe.empty()) parser.set_Exe(Variant(from_utf8(config_.exe)));
  parser.set_SingleSize(Variant(config_.single_size));
  parser.set_MaxSize(Variant(config_.max_size));
  std::shared_ptr<UploadFileEx> item = parser.admit_file(from_utf8(name), from_utf8(type), info.length, stream);
  if (!item) {
    remove(id);
    return refusal(parser.error_id() == int(UploadError::TypeNotAllowed) ? 415 : 413,
                   to_utf8(parser.get_Description().to_text()));
  }
  Variant server(ObjectPtr(std::make_shared<HostServer>(site_, config_.url, CodePage::ansi())));
  bool saved = false;
  try {
    saved = item->SavetoFile(server, Variant(from_utf8(config_.folder)), Variant(int16_t(config_.option)),
                             Variant(config_.overwrite))
                .to_bool();
  } catch (const ScriptError& e) {
    item->Exception = Variant(e.description());
  }
  if (!saved) return refusal(500, to_utf8(item->get_Exception().to_text()));
  // Kept without its bytes until it expires, so a client that lost the
  // last answer learns with HEAD that the upload is complete.
  info.saved = to_utf8(item->get_FileName().to_text());
  std::error_code ec;
  fs::remove(part_path(id), ec);
  write_info(id, info);
  TusReply r;
  r.status = 204;
  r.headers = {{"Tus-Resumable", kVersion}, {"Upload-Offset", std::to_string(info.length)}};
  r.headers.emplace_back("Brevane-File", info.saved);
  return r;
}

struct TusStore::Patch::State {
  TusStore* store = nullptr;
  std::string id;
  Info info;
  int fd = -1;
  uint64_t start = 0, written = 0;
  EVP_MD_CTX* sha = nullptr;
  std::string expected;  // the sha1 digest the client sent, empty for none
  std::optional<TusReply> failure;
};

TusStore::Patch::~Patch() {
  if (!s_) return;
  if (s_->fd >= 0) ::close(s_->fd);
  if (s_->sha) EVP_MD_CTX_free(s_->sha);
  s_->store->release(s_->id);
}

std::unique_ptr<TusStore::Patch> TusStore::start_patch(const std::string& id, const Headers& h, TusReply& reply) {
  if (header_of(h, "Tus-Resumable") != kVersion) {
    reply = refusal(412, "Tus-Resumable: 1.0.0 expected");
    reply.headers.emplace_back("Tus-Version", kVersion);
    return nullptr;
  }
  std::string type = header_of(h, "Content-Type");
  if (type.substr(0, type.find(';')) != kOffsetType) {
    reply = refusal(415, "Content-Type: application/offset+octet-stream expected");
    return nullptr;
  }
  auto offset = parse_count(header_of(h, "Upload-Offset"));
  if (!offset) {
    reply = refusal(400, "Upload-Offset: a byte count expected");
    return nullptr;
  }
  Info info;
  if (!valid_id(id) || !read_info(id, info)) {
    reply = refusal(404, "no such upload");
    return nullptr;
  }
  std::string expected;
  if (const std::string& sum = header_of(h, "Upload-Checksum"); !sum.empty()) {
    size_t space = sum.find(' ');
    if (sum.substr(0, space) != "sha1") {
      reply = refusal(400, "Upload-Checksum: only sha1 is supported");
      return nullptr;
    }
    auto digest = space == std::string::npos ? std::nullopt : base64_decode(sum.substr(space + 1));
    if (!digest || digest->size() != 20) {
      reply = refusal(400, "Upload-Checksum: sha1 and a base64 digest expected");
      return nullptr;
    }
    expected = std::move(*digest);
  }
  if (!info.saved.empty()) {
    // Already complete: an empty PATCH at the end repeats the last answer.
    if (*offset == info.length && header_of(h, "Content-Length") == "0") {
      reply = refusal(204, {});
      reply.headers.emplace_back("Upload-Offset", std::to_string(info.length));
      reply.headers.emplace_back("Brevane-File", info.saved);
    } else {
      reply = refusal(409, "the upload is complete");
    }
    return nullptr;
  }
  if (!claim(id)) {
    reply = refusal(423, "another request is writing to this upload");
    return nullptr;
  }
  auto patch = std::unique_ptr<Patch>(new Patch);
  patch->s_ = std::make_unique<Patch::State>();
  Patch::State& s = *patch->s_;
  s.store = this;
  s.id = id;
  s.info = std::move(info);
  std::error_code ec;
  uint64_t size = fs::file_size(part_path(id), ec);
  if (ec || size != *offset) {
    reply = refusal(409, "Upload-Offset does not match the bytes received (" + std::to_string(size) + ")");
    reply.headers.emplace_back("Upload-Offset", std::to_string(size));
    return nullptr;
  }
  if (auto n = parse_count(header_of(h, "Content-Length")); n && *n > s.info.length - *offset) {
    reply = refusal(413, "the body goes past Upload-Length");
    return nullptr;
  }
  s.fd = ::open(part_path(id).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (s.fd < 0) {
    reply = refusal(500, "the upload could not be opened");
    return nullptr;
  }
  s.start = *offset;
  if (!expected.empty()) {
    s.expected = std::move(expected);
    s.sha = EVP_MD_CTX_new();
    if (!s.sha || EVP_DigestInit_ex(s.sha, EVP_sha1(), nullptr) != 1) {
      reply = refusal(500, "no sha1");
      return nullptr;
    }
  }
  return patch;
}

bool TusStore::Patch::write(const char* data, size_t n) {
  State& s = *s_;
  if (s.failure) return false;
  if (n > s.info.length - s.start - s.written) {
    s.failure = s.store->refusal(413, "the body goes past Upload-Length");
    return false;
  }
  if (!write_all(s.fd, data, n)) {
    s.failure = s.store->refusal(500, std::string("the upload could not be written: ") + std::strerror(errno));
    return false;
  }
  if (s.sha) EVP_DigestUpdate(s.sha, data, n);
  s.written += n;
  return true;
}

TusReply TusStore::Patch::finish(bool whole) {
  State& s = *s_;
  bool checked = s.sha != nullptr;
  bool matches = false;
  if (checked && whole && !s.failure) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned len = 0;
    EVP_DigestFinal_ex(s.sha, digest, &len);
    matches = len == s.expected.size() && std::memcmp(digest, s.expected.data(), len) == 0;
  }
  // A piece that carries a checksum is kept only whole and verified; one
  // without is kept as far as it came, to be resumed from there.
  if (checked && !matches) {
    if (::ftruncate(s.fd, static_cast<off_t>(s.start)) != 0) {
      // Cannot take the piece back: the upload is unusable.
      s.store->remove(s.id);
      return s.store->refusal(500, "the upload could not be restored");
    }
    s.written = 0;
    if (!s.failure && whole) return s.store->refusal(460, "Checksum Mismatch");
  }
  if (s.failure) return *s.failure;
  uint64_t offset = s.start + s.written;
  if (offset == s.info.length) {
    ::close(s.fd);
    s.fd = -1;
    return s.store->save_finished(s.id, s.info);
  }
  TusReply r = s.store->refusal(204, {});
  r.headers.emplace_back("Upload-Offset", std::to_string(offset));
  r.headers.emplace_back("Upload-Expires", http_date(std::time(nullptr) + s.store->config_.expiry.count()));
  return r;
}

namespace {

TusStore::Headers headers_of(const httplib::Request& req) {
  TusStore::Headers h;
  for (const char* name : {"Tus-Resumable", "Upload-Length", "Upload-Metadata", "Upload-Offset", "Upload-Checksum",
                           "Content-Type", "Content-Length", "Upload-Defer-Length"})
    if (req.has_header(name)) h.emplace(name, req.get_header_value(name));
  return h;
}

void answer(const TusReply& r, httplib::Response& res) {
  res.status = r.status;
  for (const auto& [k, v] : r.headers) res.set_header(k, v);
  // Browsers reading the answer across origins need to see these.
  res.set_header("Access-Control-Expose-Headers",
                 "Location, Upload-Offset, Upload-Length, Upload-Metadata, Upload-Expires, Tus-Resumable, "
                 "Tus-Version, Tus-Extension, Tus-Max-Size, Tus-Checksum-Algorithm, Brevane-File");
  if (!r.body.empty()) res.set_content(r.body, "text/plain; charset=utf-8");
}

}  // namespace

void TusStore::install(httplib::Server& server) {
  if (config_.dir.empty()) return;
  expire();
  std::string base = config_.url;
  std::string one = base + "([0-9a-f]{32})";
  server.Options(base + ".*", [this](const httplib::Request&, httplib::Response& res) { answer(options(), res); });
  server.Post(base + "?",
              [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
                reader([](const char*, size_t) { return true; });  // creation carries no body here
                answer(create(headers_of(req)), res);
              });
  server.Get(one, [this](const httplib::Request& req, httplib::Response& res) {
    if (req.method != "HEAD") {
      answer(refusal(405, "HEAD, PATCH or DELETE"), res);
      res.set_header("Allow", "HEAD, PATCH, DELETE, OPTIONS");
      return;
    }
    answer(head(req.matches[1]), res);
  });
  server.Delete(
      one, [this](const httplib::Request& req, httplib::Response& res) { answer(terminate(req.matches[1]), res); });
  server.Patch(one, [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    TusReply reply;
    std::unique_ptr<Patch> patch = start_patch(req.matches[1], headers_of(req), reply);
    if (!patch) {
      answer(reply, res);
      return;
    }
    bool whole = reader([&](const char* data, size_t n) { return patch->write(data, n); });
    answer(patch->finish(whole), res);
  });
}

}  // namespace brevane::host
