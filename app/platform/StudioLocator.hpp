#pragma once
// Finds Android Studio on Linux without a shell: a launcher on PATH, then the
// common install folders, then the desktop entries of the application menus.
#include <QString>
#include <QStringList>

#include <optional>

namespace tovrane::app {

// Where to look; fromEnvironment() reads PATH, HOME and the XDG folders.
struct StudioSearch {
  QStringList pathFolders;
  // Launchers in the usual install folders, in the order they are tried.
  QStringList installCandidates;
  // Folders holding .desktop files, most personal first.
  QStringList applicationFolders;

  static StudioSearch fromEnvironment();
};

// The program and its leading arguments; the folder to open goes last.
struct StudioCommand {
  QString program;
  QStringList arguments;
  bool operator==(const StudioCommand&) const = default;
};

std::optional<StudioCommand> locateStudio(const StudioSearch& search);

// Splits the Exec value of a desktop entry into program and arguments the
// way the desktop-entry rules say (string escapes, double quotes with
// backslash escapes, "%%" for a percent sign) and drops the field codes.
// Empty when the value is malformed (an unterminated quote).
QStringList splitDesktopExec(const QString& exec);

}  // namespace tovrane::app
