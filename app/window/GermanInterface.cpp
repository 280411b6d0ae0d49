#include "app/window/GermanInterface.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tovrane::app {

QTranslator* useGermanInterface(QCoreApplication& application) {
  const QLocale german(QLocale::German, QLocale::Germany);
  QLocale::setDefault(german);
  auto* translator = new QTranslator(&application);
  // "qtbase_de" holds the widgets' texts: dialogs, standard buttons, menus of text fields.
  if (!translator->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace tovrane::app
