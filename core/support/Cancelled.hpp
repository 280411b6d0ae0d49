#pragma once
// Thrown where long work (a repair, an Android run) stops because the user
// cancelled it. It is no failure: callers that catch it return to their idle
// state and show no error; what() is only for logs.
#include <exception>

namespace tovrane {

class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "Abgebrochen."; }
};

}  // namespace tovrane
