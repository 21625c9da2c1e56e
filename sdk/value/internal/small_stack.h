// small_stack.h: a stack that keeps its first frames inline and spills to the
// heap only for deep trees, so walking a shallow tree allocates nothing.
//
// Not for: anything but trivially copyable frames.
//
//   SmallStack<Frame> stack;
//   stack.Push(frame);
//   while (!stack.Empty()) { Frame& top = stack.Top(); ... stack.Pop(); }
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

namespace kiv::value_internal {

template <typename Frame, size_t kInline = 32>
class SmallStack {
  static_assert(std::is_trivially_copyable_v<Frame>);

 public:
  bool Empty() const { return size_ == 0; }
  /// Invalidates references to earlier frames.
  void Push(const Frame& frame) {
    if (size_ < kInline) {
      inline_[size_] = frame;
    } else {
      spill_.push_back(frame);
    }
    ++size_;
  }
  Frame& Top() { return size_ <= kInline ? inline_[size_ - 1] : spill_.back(); }
  const Frame& Top() const { return size_ <= kInline ? inline_[size_ - 1] : spill_.back(); }
  Frame Pop() {
    Frame top = Top();
    if (size_ > kInline) spill_.pop_back();
    --size_;
    return top;
  }
  size_t Size() const { return size_; }
  /// The frame `index` places from the bottom.
  const Frame& operator[](size_t index) const {
    return index < kInline ? inline_[index] : spill_[index - kInline];
  }

 private:
  Frame inline_[kInline];
  std::vector<Frame> spill_;
  size_t size_ = 0;
};

}  // namespace kiv::value_internal
