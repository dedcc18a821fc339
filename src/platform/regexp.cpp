// Matching loops, replacement templates and the RegExp object; the engine
// underneath (Regex::find) is per platform.
#include "platform/regexp.h"

#include <algorithm>
#include <optional>

#include "core/script_error.h"

namespace brevane {

namespace {

RegexMatch to_match(TextView subject, const Regex::Spans& spans) {
  RegexMatch m;
  auto [b, e] = spans.groups[0];
  m.index = b;
  m.value = Text(subject.substr(b, e - b));
  for (size_t g = 1; g < spans.groups.size(); ++g) {
    auto [gb, ge] = spans.groups[g];
    if (gb == SIZE_MAX)
      m.groups.emplace_back(std::nullopt);
    else
      m.groups.emplace_back(Text(subject.substr(gb, ge - gb)));
  }
  return m;
}

// Calls fn(match, spans) for the first match or, when global, each match.
template <class Fn>
void each_match(const Regex& re, TextView subject, bool global, Fn&& fn) {
  size_t pos = 0;
  while (pos <= subject.size()) {
    Regex::Spans spans = re.find(subject, pos);
    if (!spans) return;
    fn(spans);
    if (!global) return;
    auto [b, e] = spans.groups[0];
    pos = e == b ? e + 1 : e;
  }
}

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Expands one replacement template for a match.
Text expand(TextView tmpl, TextView subject, const RegexMatch& m) {
  Text out;
  size_t groups = m.groups.size();
  auto group_text = [&](size_t n) -> Text { return m.groups[n - 1].value_or(Text()); };
  for (size_t i = 0; i < tmpl.size(); ++i) {
    char16_t c = tmpl[i];
    if (c != u'$' || i + 1 == tmpl.size()) {
      out += c;
      continue;
    }
    char16_t n = tmpl[i + 1];
    if (n == u'$') {
      out += u'$';
      ++i;
    } else if (n == u'&') {
      out += m.value;
      ++i;
    } else if (n == u'`') {
      out += subject.substr(0, m.index);
      ++i;
    } else if (n == u'\'') {
      out += subject.substr(m.index + m.value.size());
      ++i;
    } else if (is_digit(n)) {
      // Two digits when they name a group, else one; "$0" and groups the
      // pattern lacks stay as written.
      size_t one = n - u'0';
      if (i + 2 < tmpl.size() && is_digit(tmpl[i + 2])) {
        size_t two = one * 10 + (tmpl[i + 2] - u'0');
        if (two >= 1 && two <= groups) {
          out += group_text(two);
          i += 2;
          continue;
        }
      }
      if (one >= 1 && one <= groups) {
        out += group_text(one);
        ++i;
      } else {
        out += c;
      }
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool Regex::test(TextView subject) const { return static_cast<bool>(find(subject, 0)); }

std::vector<RegexMatch> Regex::execute(TextView subject, bool global) const {
  std::vector<RegexMatch> matches;
  each_match(*this, subject, global, [&](const Spans& s) { matches.push_back(to_match(subject, s)); });
  return matches;
}

Text Regex::replace(TextView subject, const std::function<Text(const RegexMatch&)>& fn, bool global) const {
  Text out;
  size_t copied = 0;
  each_match(*this, subject, global, [&](const Spans& s) {
    auto [b, e] = s.groups[0];
    out += subject.substr(copied, b - copied);
    out += fn(to_match(subject, s));
    copied = e;
  });
  out += subject.substr(copied);
  return out;
}

Text Regex::replace(TextView subject, TextView replacement, bool global) const {
  bool plain = replacement.find(u'$') == TextView::npos;
  return replace(
      subject, [&](const RegexMatch& m) { return plain ? Text(replacement) : expand(replacement, subject, m); },
      global);
}

std::shared_ptr<const Regex> cached_regex(TextView pattern, RegexFlags flags) {
  struct Entry {
    Text pattern;
    RegexFlags flags;
    std::shared_ptr<const Regex> regex;
  };
  constexpr size_t kCapacity = 32;
  thread_local std::vector<Entry> recent;  // most recently used first
  for (size_t i = 0; i < recent.size(); ++i) {
    if (recent[i].flags == flags && recent[i].pattern == pattern) {
      if (i)
        std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(i),
                    recent.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return recent.front().regex;
    }
  }
  auto compiled = std::make_shared<const Regex>(pattern, flags);
  if (recent.size() == kCapacity) recent.pop_back();
  recent.insert(recent.begin(), Entry{Text(pattern), flags, compiled});
  return compiled;
}

// ---- the by-name object ----

namespace {

[[noreturn]] void wrong_arguments() { throw ScriptError(kWrongArgumentCount); }

// A read-only collection of Variants: Count, Item(i) (default), For Each.
class ItemCollection : public DynamicObject {
 public:
  explicit ItemCollection(VariantArray items) : items_(std::move(items)) {
    define(u"Count", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(items_.size())); });
    define(
        u"Item",
        [this](int kind, Args a) -> Variant {
          if (kind & (kPut | kPutRef)) throw ScriptError(kInvalidCall);
          if (a.size() != 1) wrong_arguments();
          int32_t i = a[0].to_i32();
          if (i < 0 || static_cast<size_t>(i) >= items_.size()) throw ScriptError(kInvalidCall);
          return items_[static_cast<size_t>(i)];
        },
        true);
  }
  VariantArray enumerate() override { return items_; }

 private:
  VariantArray items_;
};

class MatchObject : public DynamicObject {
 public:
  explicit MatchObject(RegexMatch m) : m_(std::move(m)) {
    define(
        u"Value", [this](int, Args) -> Variant { return Variant(m_.value); }, true);
    define(u"FirstIndex", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(m_.index)); });
    define(u"Length", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(m_.value.size())); });
    define(u"SubMatches", [this](int, Args a) -> Variant {
      VariantArray groups;
      // A group that took no part reads as Empty.
      for (const auto& g : m_.groups) groups.push_back(g ? Variant(*g) : Variant());
      Variant collection(std::static_pointer_cast<Object>(std::make_shared<ItemCollection>(std::move(groups))));
      return a.empty() ? collection : call_default(collection, {a[0]});
    });
  }

 private:
  RegexMatch m_;
};

class RegExpObject : public DynamicObject {
 public:
  RegExpObject() {
    define(u"Pattern", [this](int kind, Args a) -> Variant {
      if (kind & kPut) {
        pattern_ = a.back().to_text();
        compiled_.reset();
        return {};
      }
      return Variant(pattern_);
    });
    flag(u"IgnoreCase", ignore_case_);
    flag(u"Global", global_);
    flag(u"Multiline", multiline_);
    define(u"Test", [this](int, Args a) -> Variant {
      if (a.size() != 1) wrong_arguments();
      return Variant(regex().test(a[0].to_text()));
    });
    define(u"Execute", [this](int, Args a) -> Variant {
      if (a.size() != 1) wrong_arguments();
      VariantArray matches;
      for (auto& m : regex().execute(a[0].to_text(), global_))
        matches.emplace_back(std::static_pointer_cast<Object>(std::make_shared<MatchObject>(std::move(m))));
      return Variant(std::static_pointer_cast<Object>(std::make_shared<ItemCollection>(std::move(matches))));
    });
    define(u"Replace", [this](int, Args a) -> Variant {
      if (a.size() != 2) wrong_arguments();
      Text subject = a[0].to_text();
      if (!a[1].is_object()) return Variant(regex().replace(subject, a[1].to_text(), global_));
      // A function reference gets the match, each group, the position and
      // the whole text, and returns the replacement.
      Variant fn = a[1];
      return Variant(regex().replace(
          subject,
          [&](const RegexMatch& m) {
            std::vector<Variant> args{Variant(m.value)};
            for (const auto& g : m.groups) args.push_back(g ? Variant(*g) : Variant());
            args.emplace_back(static_cast<int32_t>(m.index));
            args.emplace_back(subject);
            return fn.object()->invoke(kDispIdValue, kMethod | kGet, args).to_text();
          },
          global_));
    });
  }

 private:
  void flag(TextView name, bool& field) {
    define(name, [this, &field](int kind, Args a) -> Variant {
      if (kind & kPut) {
        field = a.back().to_bool();
        compiled_.reset();
        return {};
      }
      return Variant(field);
    });
  }

  // Compiled on first use after a change, so a bad pattern fails where the
  // script engine fails: in Test, Execute or Replace. Pages create a fresh
  // object per check, so the compilation comes from the per-thread cache.
  const Regex& regex() {
    if (!compiled_) compiled_ = cached_regex(pattern_, RegexFlags{ignore_case_, multiline_});
    return *compiled_;
  }

  Text pattern_;
  bool ignore_case_ = false, global_ = false, multiline_ = false;
  std::shared_ptr<const Regex> compiled_;
};

}  // namespace

ObjectPtr make_regexp_object() { return std::make_shared<RegExpObject>(); }

}  // namespace brevane
