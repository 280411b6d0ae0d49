#pragma once
// The exception of one type that a call throws, for tests that look at what
// an error carries: none when the call returns or throws something else
// (which then propagates and fails the test).
#include <optional>
#include <utility>

namespace tovrane::testsupport {

template <typename Error, typename Fn>
std::optional<Error> thrown(Fn&& fn) {
  try {
    std::forward<Fn>(fn)();
  } catch (const Error& error) {
    return error;
  }
  return std::nullopt;
}

}  // namespace tovrane::testsupport
