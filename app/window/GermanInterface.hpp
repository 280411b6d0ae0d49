#pragma once
// The interface speaks German whatever the machine's language: Qt's own
// dialogs and standard buttons ("Abbrechen", "Auswählen") through Qt's German
// translations, and the formats of Qt's own widgets (sizes and dates in the
// file dialog) through the German locale.
class QCoreApplication;
class QTranslator;

namespace tovrane::app {

// Makes German the default locale and installs Qt's German translations
// into application, which owns them. Returns them, or null when this
// machine's Qt has none (its dialogs then stay English).
QTranslator* useGermanInterface(QCoreApplication& application);

}  // namespace tovrane::app
