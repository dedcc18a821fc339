// Pages of a site: C++ handlers registered at site paths. A handler gets the
// request's page objects and calls them (and the component) by name, as a
// server page would.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/page_context.h"
#include "host/page_objects.h"

namespace brevane::host {

struct Page {
  const PageContext& objects;
  HostResponse& response_object;
  const SiteMap& site;
  std::string url;  // the page's site path as requested

  const Variant& request() const { return objects.request; }
  const Variant& response() const { return objects.response; }
  const Variant& server() const { return objects.server; }
  const Variant& session() const { return objects.session; }
  const Variant& application() const { return objects.application; }
  // Response.End was called (a guard failed, say): the page stops here.
  bool ended() const { return response_object.ended(); }
  void write(TextView text) const;
};

using PageHandler = std::function<void(Page&)>;

class PageRegistry {
 public:
  // `path` is a site path ("/upload/save.asp"); lookups ignore case.
  void add(std::string path, PageHandler handler);
  const PageHandler* find(std::string_view path) const;
  std::vector<std::string> paths() const;

 private:
  std::vector<std::pair<std::string, PageHandler>> pages_;
};

}  // namespace brevane::host
