#pragma once
// Interface texts that name Mac things, with the words used on other systems.
// A text is written as on the Mac; platformText() gives the one to show here.
#include <QString>

namespace tovrane::app {

struct PlatformTextRow {
  // The Mac's text, or a part of longer texts.
  const char* mac;
  // The text elsewhere; "%1" stands for the application's install folder.
  const char* other;
};

inline constexpr PlatformTextRow platformTextRows[] = {
    // The guide's first step: the project is on a Mac, the app runs here.
    {"Öffne im Finder den Ordner, in dem deine Datei mit der Endung .xcodeproj liegt. Tipp: In Xcode Rechtsklick "
     "auf das Projekt › „Show in Finder“.",
     "Öffne im Dateimanager den Ordner, in dem deine Datei mit der Endung .xcodeproj liegt. Tipp: Kopiere den "
     "ganzen Projektordner vom Mac auf diesen Rechner."},
    {"Im Finder zeigen", "Im Dateimanager zeigen"},
    {"auf diesem Mac", "auf diesem Rechner"},
    {"auf deinem Mac", "auf deinem Rechner"},
    {"Keine Schreibrechte für /Programme.", "Keine Schreibrechte für %1."},
};

// macText with every row's Mac part replaced by this system's words.
QString platformText(const QString& macText, const QString& installFolder = {});

}  // namespace tovrane::app
