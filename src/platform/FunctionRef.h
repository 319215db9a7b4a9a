// A callable passed down a call and never kept beyond what its taker says:
// two pointers, no allocation, no copy of the callable. In place of a plain
// function pointer with a `void*` context written out at each call site,
// and of std::function, which allocates and on which the Windows build's
// link-time optimizer fails.
#pragma once

#include <type_traits>
#include <utility>

namespace lnf {

template <typename Signature>
class FunctionRef;

template <typename Result, typename... Parameters>
class FunctionRef<Result(Parameters...)> {
 public:
  // Refers to `callable`, which must outlive every call through this.
  template <typename Callable,
            typename = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef>>>
  FunctionRef(Callable&& callable)  // NOLINT: implicit, as a function parameter takes it
      : callable_(const_cast<void*>(static_cast<const void*>(&callable))),
        call_(&Call<std::remove_reference_t<Callable>>) {}

  Result operator()(Parameters... parameters) const {
    return call_(callable_, std::forward<Parameters>(parameters)...);
  }

 private:
  template <typename Callable>
  static Result Call(void* callable, Parameters... parameters) {
    return (*static_cast<Callable*>(callable))(std::forward<Parameters>(parameters)...);
  }

  void* callable_;
  Result (*call_)(void*, Parameters...);
};

}  // namespace lnf
