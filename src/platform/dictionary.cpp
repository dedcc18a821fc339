#include "platform/dictionary.h"

namespace brevane {

namespace {

constexpr int kKeyExists = 457;  // "This key is already associated with an element of this collection"
constexpr int kElementNotFound = 32811;

bool is_text_key(const Variant& k) { return k.type() == VarType::String; }

// Keys other than text compare by value within their kind: numbers with
// numbers, objects by identity.
bool same_key(const Variant& a, const Variant& b) {
  if (a.is_numeric_type() && b.is_numeric_type()) return a.to_double() == b.to_double();
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case VarType::Empty:
    case VarType::Null:
      return true;
    case VarType::Date:
      return a.raw_double() == b.raw_double();
    case VarType::Object:
      return a.object() == b.object();
    default:
      return false;
  }
}

// Arrays cannot be keys.
Variant key_of(const Variant& k) {
  if (k.type() == VarType::Array || k.type() == VarType::ByteArray) throw ScriptError(kTypeMismatch);
  return k;
}

}  // namespace

Dictionary::Dictionary() {
  define(
      u"Item",
      [this](int kind, Args a) -> Variant {
        if (a.empty()) throw ScriptError(kArgumentNotOptional);
        if (kind & (kPut | kPutRef)) {
          if (a.size() < 2) throw ScriptError(kArgumentNotOptional);
          set(key_of(a[0]), a[1]);
          return {};
        }
        // Reading an absent key adds it with an Empty value, as the original does.
        Variant key = key_of(a[0]);
        if (Variant* v = find(key)) return *v;
        add(key, Variant());
        return {};
      },
      true);
  define(u"Count", [this](int, Args) -> Variant { return Variant(static_cast<int32_t>(count())); });
  define(u"Exists", [this](int, Args a) -> Variant {
    if (a.empty()) throw ScriptError(kArgumentNotOptional);
    return Variant(exists(a[0]));
  });
  define(u"Add", [this](int, Args a) -> Variant {
    if (a.size() < 2) throw ScriptError(kArgumentNotOptional);
    add(key_of(a[0]), a[1]);
    return {};
  });
  define(u"Remove", [this](int, Args a) -> Variant {
    if (a.empty()) throw ScriptError(kArgumentNotOptional);
    remove(a[0]);
    return {};
  });
  define(u"RemoveAll", [this](int, Args) -> Variant {
    clear();
    return {};
  });
  define(u"Keys", [this](int, Args) -> Variant { return Variant(enumerate()); });
  define(u"Items", [this](int, Args) -> Variant {
    VariantArray items;
    items.reserve(entries_.size());
    for (auto& e : entries_) items.push_back(e.second);
    return Variant(std::move(items));
  });
  define(u"Key", [this](int kind, Args a) -> Variant {
    // Renaming a key: dict.Key(old) = new.
    if (!(kind & kPut) || a.size() < 2) throw ScriptError(kInvalidCall);
    size_t i = index_of(a[0]);
    if (i == npos) throw ScriptError(kElementNotFound, u"Element not found");
    if (exists(a[1]))
      throw ScriptError(kKeyExists, u"This key is already associated with an element of this collection");
    entries_[i].first = key_of(a[1]);
    rebuild_index();
    return {};
  });
}

size_t Dictionary::index_of(const Variant& key) const {
  if (is_text_key(key)) {
    auto it = text_index_.find(TextView(key.text()));
    return it == text_index_.end() ? npos : it->second;
  }
  for (size_t i = 0; i < entries_.size(); ++i)
    if (!is_text_key(entries_[i].first) && same_key(entries_[i].first, key)) return i;
  return npos;
}

Variant* Dictionary::find(const Variant& key) {
  size_t i = index_of(key);
  return i == npos ? nullptr : &entries_[i].second;
}

const Variant* Dictionary::find(const Variant& key) const {
  size_t i = index_of(key);
  return i == npos ? nullptr : &entries_[i].second;
}

void Dictionary::add(Variant key, Variant value) {
  if (exists(key)) throw ScriptError(kKeyExists, u"This key is already associated with an element of this collection");
  entries_.emplace_back(std::move(key), std::move(value));
  if (is_text_key(entries_.back().first))
    text_index_.emplace(TextView(entries_.back().first.text()), entries_.size() - 1);
}

Variant& Dictionary::find_or_add(Variant key, bool& added) {
  size_t i = index_of(key);
  added = i == npos;
  if (!added) return entries_[i].second;
  entries_.emplace_back(std::move(key), Variant());
  if (is_text_key(entries_.back().first))
    text_index_.emplace(TextView(entries_.back().first.text()), entries_.size() - 1);
  return entries_.back().second;
}

void Dictionary::set(const Variant& key, Variant value) {
  if (Variant* v = find(key))
    *v = std::move(value);
  else
    add(key, std::move(value));
}

void Dictionary::remove(const Variant& key) {
  size_t i = index_of(key);
  if (i == npos) throw ScriptError(kElementNotFound, u"Element not found");
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
  rebuild_index();
}

void Dictionary::clear() {
  entries_.clear();
  text_index_.clear();
}

void Dictionary::rebuild_index() {
  text_index_.clear();
  for (size_t i = 0; i < entries_.size(); ++i)
    if (is_text_key(entries_[i].first)) text_index_.emplace(TextView(entries_[i].first.text()), i);
}

VariantArray Dictionary::enumerate() {
  VariantArray keys;
  keys.reserve(entries_.size());
  for (auto& e : entries_) keys.push_back(e.first);
  return keys;
}

}  // namespace brevane
