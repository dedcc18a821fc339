// The platform-independent half of the file-system layer: the script
// runtime's directory match, over the platform's stat and list.
#include "platform/fs.h"

#include "platform/fs_fault.h"

namespace brevane::fs {

namespace {

FaultHook& hook() {
  static FaultHook h;
  return h;
}

bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }
bool has_wildcard(TextView s) { return s.find_first_of(u"*?") != TextView::npos; }

bool match_from(TextView p, TextView n) {
  // Classic backtracking over the last "*": linear for the patterns pages use.
  size_t pi = 0, ni = 0, star = TextView::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == u'?' || ascii_lower(p[pi]) == ascii_lower(n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == u'*') {
      star = pi++;
      mark = ni;
    } else if (star != TextView::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*') ++pi;
  return pi == p.size();
}

}  // namespace

int injected_fault(std::string_view call, std::string_view native_path) {
  const FaultHook& h = hook();
  return h ? h(call, native_path) : 0;
}

void set_fault_hook_for_testing(FaultHook h) { hook() = std::move(h); }

bool wildcard_match(TextView pattern, TextView name) {
  if (match_from(pattern, name)) return true;
  // A trailing ".*" also matches a name without any full stop ("*.*", "read*.*").
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*" && name.find(u'.') == TextView::npos)
    return match_from(pattern.substr(0, pattern.size() - 2), name);
  return false;
}

bool match_exists(TextView pattern, uint32_t mask) {
  auto admits = [mask](uint32_t a) {
    if ((a & kDirectory) && !(mask & kDirectory)) return false;
    if ((a & kHidden) && !(mask & kHidden)) return false;
    if ((a & kSystem) && !(mask & kSystem)) return false;
    return true;
  };
  size_t cut = pattern.size();
  while (cut > 0 && !is_sep(pattern[cut - 1])) --cut;
  if (cut == 0 && pattern.size() >= 2 && pattern[1] == u':') cut = 2;  // "C:name"
  const Text folder = cut ? Text(pattern.substr(0, cut)) : Text(u".");
  TextView name = pattern.substr(cut);

  if (name.empty()) {
    // "C:\up\" names the folder itself for a folder test, any file in it otherwise.
    if (mask & kDirectory) {
      auto e = stat(folder);
      return e && e->is_folder();
    }
    name = u"*";
  } else if (!has_wildcard(name)) {
    auto e = stat(pattern);
    return e && admits(e->attributes);
  }
  std::vector<Entry> entries;
  if (!list(folder, entries)) return false;
  for (const Entry& e : entries)
    if (admits(e.attributes) && wildcard_match(name, e.name)) return true;
  return false;
}

}  // namespace brevane::fs
