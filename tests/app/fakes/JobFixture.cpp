#include "tests/app/fakes/JobFixture.hpp"

#include "tests/app/AppTest.hpp"

#include "app/state/Keychain.hpp"

#include <QFile>
#include <QSettings>
#include <QtTest>

namespace tovrane::app::test {

JobFixture::JobFixture() {
  QSettings(QStringLiteral("TovraneAndroid")).clear();
  QFile::remove(Keychain::file());
}

void JobFixture::lookUpTools() {
  tools.refresh();
  QTRY_VERIFY(tools.known());
}

}  // namespace tovrane::app::test
