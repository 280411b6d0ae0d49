#include "app/state/FileErrorText.hpp"

#include <cerrno>
#include <cstring>

namespace tovrane::app {

namespace {

struct Reason {
  int error;
  const char* text;
};

// The failures a user can meet while the app reads and writes its files.
constexpr Reason reasons[] = {
    {ENOENT, "Datei oder Ordner nicht gefunden"},
    {EACCES, "Keine Berechtigung"},
    {EPERM, "Vorgang nicht erlaubt"},
    {EROFS, "Das Laufwerk ist schreibgeschützt"},
    {ENOSPC, "Kein Speicherplatz mehr frei"},
    {EDQUOT, "Speicherkontingent erschöpft"},
    {EFBIG, "Datei zu groß"},
    {EISDIR, "Ist ein Ordner"},
    {ENOTDIR, "Ist kein Ordner"},
    {EEXIST, "Existiert bereits"},
    {ENOTEMPTY, "Der Ordner ist nicht leer"},
    {EIO, "Ein-/Ausgabefehler des Laufwerks"},
    {ENAMETOOLONG, "Der Name ist zu lang"},
    {ELOOP, "Zu viele Ebenen symbolischer Verknüpfungen"},
    {EMFILE, "Zu viele offene Dateien"},
    {ENFILE, "Zu viele offene Dateien im System"},
    {EXDEV, "Verschieben zwischen Laufwerken nicht möglich"},
    {EBUSY, "Datei oder Gerät ist belegt"},
    {ENOMEM, "Nicht genug Arbeitsspeicher"},
};

}  // namespace

std::string germanReason(const files::FileError& error) {
  // Texts that are not the system's message for the error are core's own.
  if (error.error() == 0 || error.reason() != std::strerror(error.error())) {
    return error.reason();
  }
  for (const Reason& reason : reasons) {
    if (reason.error == error.error()) {
      return reason.text;
    }
  }
  return "Systemfehler " + std::to_string(error.error());
}

std::string germanText(const files::FileError& error) { return error.path().string() + ": " + germanReason(error); }

}  // namespace tovrane::app
