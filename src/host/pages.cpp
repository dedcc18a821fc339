#include "host/pages.h"

#include "frame/host.h"

namespace brevane::host {

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

void Page::write(TextView text) const { ResponseRef(objects.response).write(text); }

void PageRegistry::add(std::string path, PageHandler handler) { pages_.emplace_back(lower(path), std::move(handler)); }

const PageHandler* PageRegistry::find(std::string_view path) const {
  std::string key = lower(path);
  for (const auto& [p, h] : pages_)
    if (p == key) return &h;
  return nullptr;
}

std::vector<std::string> PageRegistry::paths() const {
  std::vector<std::string> out;
  for (const auto& [p, h] : pages_) out.push_back(p);
  return out;
}

}  // namespace brevane::host
