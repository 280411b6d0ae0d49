#include "core/support/ErrorText.hpp"

#include "core/support/Files.hpp"
#include "core/support/Text.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <future>
#include <new>
#include <set>
#include <stdexcept>

namespace tovrane::errortext {
namespace {

TEST(ErrorText, TheTableNamesEachNumberOnceWithAReasonToStandAfterAPath) {
  std::set<int> seen;
  for (const SystemText& entry : systemTexts()) {
    SCOPED_TRACE(entry.text);
    EXPECT_TRUE(seen.insert(entry.error).second) << "twice: " << entry.error;
    EXPECT_TRUE(text::isValidUtf8(entry.text));
    ASSERT_FALSE(entry.text.empty());
    EXPECT_NE(entry.text.back(), '.');
    EXPECT_TRUE(entry.text.front() >= 'A' && entry.text.front() <= 'Z');
  }
  // What a file, folder, process or socket operation gives.
  for (const int error : {ENOENT, EACCES, EPERM, ENOSPC, EDQUOT, EROFS, EEXIST, ENOTDIR, EISDIR, ENOTEMPTY, ELOOP,
                          ENAMETOOLONG, EMFILE, ENFILE, EIO, EFBIG, ETXTBSY, ENOEXEC, EXDEV, EBUSY, EINVAL, ENOMEM,
                          EAGAIN, ECONNREFUSED, ECONNRESET, ETIMEDOUT, EPIPE})
    EXPECT_TRUE(seen.contains(error)) << "missing: " << error;
}

TEST(ErrorText, NumbersCodesAndFailuresReadInGerman) {
  EXPECT_EQ(systemText(ENOENT), "Datei oder Ordner nicht gefunden");
  EXPECT_EQ(systemText(EACCES), "Keine Berechtigung");
  EXPECT_EQ(systemText(ENOSPC), "Kein Speicherplatz mehr frei");
  EXPECT_EQ(systemText(ENOTSOCK), "Systemfehler " + std::to_string(ENOTSOCK));
  EXPECT_EQ(systemText(std::make_error_code(std::errc::read_only_file_system)), "Das Laufwerk ist schreibgeschützt");
  EXPECT_EQ(systemText(std::error_code(ENOTDIR, std::system_category())), "Ist kein Ordner");
  // Another category's numbers are not errno values.
  EXPECT_EQ(systemText(std::make_error_code(std::future_errc::no_state)),
            "Systemfehler " + std::to_string(static_cast<int>(std::future_errc::no_state)));

  const struct {
    const char* name;
    std::exception_ptr failure;
    std::string text;
  } failures[] = {
      {"a throwing std::filesystem call",
       std::make_exception_ptr(std::filesystem::filesystem_error(
           "status", "/p/Out", std::make_error_code(std::errc::too_many_symbolic_link_levels))),
       "/p/Out: Zu viele Ebenen symbolischer Verknüpfungen"},
      {"a std::system_error", std::make_exception_ptr(std::system_error(EMFILE, std::generic_category(), "pipe")),
       "Zu viele offene Dateien"},
      {"out of memory", std::make_exception_ptr(std::bad_alloc()), "Nicht genug Arbeitsspeicher"},
      {"core's own failure", std::make_exception_ptr(files::FileError("/p/A.kt", EISDIR)), "/p/A.kt: Ist ein Ordner"},
      {"any other", std::make_exception_ptr(std::runtime_error("Abgebrochen.")), "Abgebrochen."},
  };
  for (const auto& c : failures) {
    SCOPED_TRACE(c.name);
    try {
      std::rethrow_exception(c.failure);
    } catch (const std::exception& failure) {
      EXPECT_EQ(describe(failure), c.text);
    }
  }
}

}  // namespace
}  // namespace tovrane::errortext
