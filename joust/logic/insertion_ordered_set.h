// insertion_ordered_set.h: InsertionOrderedSet, a set that remembers the
// order in which its values were first inserted: the change marks of the
// publication pass, so that resources are published in the order their
// changes happened.
//
// Not for: large sets with frequent removals (Erase is linear).
//
//   InsertionOrderedSet<int64_t> dirty;
//   dirty.Insert(7); dirty.Insert(3); dirty.Insert(7);
//   for (int64_t id : dirty) Use(id);   // 7, 3
#pragma once

#include <algorithm>
#include <functional>
#include <unordered_set>
#include <vector>

namespace kiv::joust {

template <typename T, typename Hash = std::hash<T>>
class InsertionOrderedSet {
 public:
  /// True when `value` was not in the set.
  bool Insert(const T& value) {
    if (!members_.insert(value).second) return false;
    order_.push_back(value);
    return true;
  }
  bool Contains(const T& value) const { return members_.count(value) != 0; }
  /// True when `value` was in the set.
  bool Erase(const T& value) {
    if (members_.erase(value) == 0) return false;
    order_.erase(std::find(order_.begin(), order_.end(), value));
    return true;
  }
  void Clear() {
    members_.clear();
    order_.clear();
  }
  bool Empty() const { return order_.empty(); }
  size_t Size() const { return order_.size(); }
  auto begin() const { return order_.begin(); }
  auto end() const { return order_.end(); }

 private:
  std::unordered_set<T, Hash> members_;
  std::vector<T> order_;
};

}  // namespace kiv::joust
