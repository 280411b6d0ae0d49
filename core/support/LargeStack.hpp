#pragma once
// The translators recurse as deeply as the input nests. Conversions therefore
// run on a thread whose stack is large enough for any real source file.
#include <cstddef>
#include <functional>

namespace tovrane {

inline constexpr std::size_t largeStackSize = 256u * 1024u * 1024u;

// Runs fn on a new thread with a stack of at least `stackSize` bytes and waits
// for it. An exception thrown by fn is rethrown in the caller.
void runWithLargeStack(const std::function<void()>& fn, std::size_t stackSize = largeStackSize);

}  // namespace tovrane
