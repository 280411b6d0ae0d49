#pragma once
// German texts for the system's failures. The C library's own messages
// (strerror, std::error_code::message, std::system_error::what) follow its
// locale, English on most machines, but the user reads German: every
// failure of the system that reaches the user, a log line, the report or
// the history takes its text from here.
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace tovrane::errortext {

struct SystemText {
  int error;  // the system's error number (errno)
  std::string_view text;
};

// The numbers a file, folder, process or socket operation can give, each
// with its German text: a reason without a closing full stop, to stand
// after a path ("<path>: Keine Berechtigung") or a sentence's colon.
std::span<const SystemText> systemTexts();

// The German text for a system error number; "Systemfehler <number>" for a
// number that systemTexts does not hold.
std::string systemText(int error);
// The same for a code of the generic or the system category (on the
// systems we support both hold errno values); "Systemfehler <number>" for
// a code of another category.
std::string systemText(const std::error_code& code);

// A failure's text where it reaches the user: the standard library's
// failures that carry a system error (std::system_error, and
// std::filesystem::filesystem_error with the path it names) by that error,
// std::bad_alloc as the want of memory, any other (core's own failures,
// whose texts are German) by its what().
std::string describe(const std::exception& failure);

}  // namespace tovrane::errortext
