#include "app/platform/PlatformTexts.hpp"

namespace tovrane::app {

QString platformText(const QString& macText, const QString& installFolder) {
#ifdef Q_OS_MACOS
  Q_UNUSED(installFolder);
  return macText;
#else
  QString text = macText;
  for (const PlatformTextRow& row : platformTextRows) {
    QString other = QString::fromUtf8(row.other);
    if (other.contains(QLatin1String("%1"))) {
      other = other.arg(installFolder);
    }
    text.replace(QString::fromUtf8(row.mac), other);
  }
  return text;
#endif
}

}  // namespace tovrane::app
