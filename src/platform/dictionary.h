// The scriptable dictionary ("Scripting.Dictionary"): keys in insertion
// order, compared as binary text (a number key and its text are different
// keys, as in the original object). Component code uses the C++ interface
// directly; pages reach the same object by name.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "core/object.h"

namespace brevane {

class Dictionary : public DynamicObject {
 public:
  Dictionary();
  static std::shared_ptr<Dictionary> make() { return std::make_shared<Dictionary>(); }

  size_t count() const { return entries_.size(); }
  bool exists(const Variant& key) const { return index_of(key) != npos; }
  // nullptr when the key is absent.
  Variant* find(const Variant& key);
  const Variant* find(const Variant& key) const;
  // 457 when the key is already present.
  void add(Variant key, Variant value);
  // Stores under the key, adding it at the end when absent.
  void set(const Variant& key, Variant value);
  // 32811 when absent.
  void remove(const Variant& key);
  void clear();
  // Entries in insertion order.
  const std::vector<std::pair<Variant, Variant>>& entries() const { return entries_; }
  std::vector<std::pair<Variant, Variant>>& entries() { return entries_; }

  VariantArray enumerate() override;

 private:
  static constexpr size_t npos = static_cast<size_t>(-1);
  size_t index_of(const Variant& key) const;
  void rebuild_index();

  std::vector<std::pair<Variant, Variant>> entries_;
  // Text keys (the common case) are found by hash; other keys by a walk.
  // The views point into the keys' own text, which a Variant shares and never
  // moves.
  std::unordered_map<TextView, size_t> text_index_;
};

}  // namespace brevane
