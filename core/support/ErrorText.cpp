#include "core/support/ErrorText.hpp"

#include <cerrno>
#include <filesystem>
#include <new>

namespace tovrane::errortext {
namespace {

constexpr SystemText table[] = {
    // Files and folders
    {ENOENT, "Datei oder Ordner nicht gefunden"},
    {EACCES, "Keine Berechtigung"},
    {EPERM, "Vorgang nicht erlaubt"},
    {EROFS, "Das Laufwerk ist schreibgeschützt"},
    {ENOSPC, "Kein Speicherplatz mehr frei"},
    {EDQUOT, "Speicherkontingent erschöpft"},
    {EFBIG, "Datei zu groß"},
    {EEXIST, "Existiert bereits"},
    {ENOTDIR, "Ist kein Ordner"},
    {EISDIR, "Ist ein Ordner"},
    {ENOTEMPTY, "Der Ordner ist nicht leer"},
    {ELOOP, "Zu viele Ebenen symbolischer Verknüpfungen"},
    {ENAMETOOLONG, "Der Name ist zu lang"},
    {EMFILE, "Zu viele offene Dateien"},
    {ENFILE, "Zu viele offene Dateien im System"},
    {EIO, "Ein-/Ausgabefehler des Laufwerks"},
    {EXDEV, "Verschieben zwischen Laufwerken nicht möglich"},
    {EBUSY, "Datei oder Gerät ist belegt"},
    {EMLINK, "Zu viele Verknüpfungen"},
    {ENXIO, "Gerät oder Adresse nicht vorhanden"},
    {ENODEV, "Gerät nicht vorhanden"},
    {ESTALE, "Die Verbindung zum Netzlaufwerk ist veraltet"},
    {ENOLCK, "Keine Dateisperre verfügbar"},
    {EILSEQ, "Ungültige Zeichenfolge"},
    {EOVERFLOW, "Wert zu groß für diesen Zugriff"},
    {EBADF, "Ungültiger Dateideskriptor"},
    {EINVAL, "Ungültiges Argument"},
    {ENOTSUP, "Nicht unterstützt"},
#if EOPNOTSUPP != ENOTSUP
    {EOPNOTSUPP, "Nicht unterstützt"},
#endif
    {ENOSYS, "Vom System nicht unterstützt"},
    // Processes
    {ENOEXEC, "Die Datei ist kein ausführbares Programm"},
    {ETXTBSY, "Die Programmdatei ist gerade zum Schreiben geöffnet"},
    {E2BIG, "Die Argumente des Programms sind zu lang"},
    {EAGAIN, "Vorübergehend nicht verfügbar – später erneut versuchen"},
    {ENOMEM, "Nicht genug Arbeitsspeicher"},
    {ESRCH, "Prozess nicht gefunden"},
    {ECHILD, "Kein Kindprozess vorhanden"},
    {EINTR, "Vorgang unterbrochen"},
    {ECANCELED, "Vorgang abgebrochen"},
    {EPIPE, "Die Gegenseite hat die Verbindung geschlossen"},
    // Sockets
    {ECONNREFUSED, "Verbindung abgelehnt"},
    {ECONNRESET, "Verbindung von der Gegenseite zurückgesetzt"},
    {ECONNABORTED, "Verbindung abgebrochen"},
    {ENOTCONN, "Keine Verbindung"},
    {ETIMEDOUT, "Zeitüberschreitung der Verbindung"},
    {EHOSTUNREACH, "Rechner nicht erreichbar"},
    {EHOSTDOWN, "Rechner ist nicht in Betrieb"},
    {ENETUNREACH, "Netzwerk nicht erreichbar"},
    {ENETDOWN, "Das Netzwerk ist nicht verfügbar"},
    {ENETRESET, "Verbindung vom Netzwerk getrennt"},
    {EADDRINUSE, "Die Adresse wird bereits verwendet"},
    {EADDRNOTAVAIL, "Die Adresse ist nicht verfügbar"},
    {EAFNOSUPPORT, "Adressfamilie nicht unterstützt"},
    {ENOBUFS, "Kein Pufferspeicher mehr frei"},
    {EMSGSIZE, "Nachricht zu lang"},
    {EPROTO, "Protokollfehler"},
};

}  // namespace

std::span<const SystemText> systemTexts() { return table; }

std::string systemText(int error) {
  for (const SystemText& entry : table)
    if (entry.error == error) return std::string(entry.text);
  return "Systemfehler " + std::to_string(error);
}

std::string systemText(const std::error_code& code) {
  const bool isErrno = code.category() == std::generic_category() || code.category() == std::system_category();
  return isErrno ? systemText(code.value()) : "Systemfehler " + std::to_string(code.value());
}

std::string describe(const std::exception& failure) {
  if (const auto* fileSystem = dynamic_cast<const std::filesystem::filesystem_error*>(&failure)) {
    const std::string reason = systemText(fileSystem->code());
    return fileSystem->path1().empty() ? reason : fileSystem->path1().string() + ": " + reason;
  }
  if (const auto* system = dynamic_cast<const std::system_error*>(&failure)) return systemText(system->code());
  if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) return systemText(ENOMEM);
  return failure.what();
}

}  // namespace tovrane::errortext
