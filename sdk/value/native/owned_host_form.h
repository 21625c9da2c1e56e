// owned_host_form.h: OwnedHostForm, the host form of a native value together
// with the value it points into, for answers the host reads after the
// handler has returned.
//
// Not for: events (NativeHostTree borrows the value for the dispatch call).
//
//   std::unique_ptr<OwnedHostForm> body = MakeOwnedHostForm(std::move(rosters));
//   response.body = body->Root();   // valid until `body` is destroyed
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

#include "kiv_plugin_abi.h"
#include "sdk/value/native/native_host_tree.h"

namespace kiv {

/// A host form that owns everything its records point into.
class OwnedHostForm {
 public:
  virtual ~OwnedHostForm() = default;
  /// Stays valid, unchanged, until the form is destroyed.
  virtual const HostValue& Root() const = 0;
};

namespace native_host_internal {

template <typename T>
class NativeHostForm final : public OwnedHostForm {
 public:
  explicit NativeHostForm(T&& native) : native_(std::move(native)), tree_(native_) {}
  const HostValue& Root() const override { return tree_.Root(); }

 private:
  const T native_;  ///< Declared first: the tree points into it.
  const NativeHostTree tree_;
};

}  // namespace native_host_internal

/// Takes `native` and writes its host form.
template <typename T>
std::unique_ptr<OwnedHostForm> MakeOwnedHostForm(T&& native) {
  using Native = std::remove_cvref_t<T>;
  return std::make_unique<native_host_internal::NativeHostForm<Native>>(
      Native(std::forward<T>(native)));
}

}  // namespace kiv
