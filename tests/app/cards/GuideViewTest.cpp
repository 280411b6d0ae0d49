#include "app/cards/GuideScenes.hpp"
#include "app/cards/GuideView.hpp"
#include "app/state/Brand.hpp"
#include "app/window/Look.hpp"
#include "tests/app/AppTest.hpp"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

using namespace tovrane::app;
using tovrane::app::test::labelText;

namespace {

QPushButton* button(const QWidget& guide, const char* name) {
  return guide.findChild<QPushButton*>(QString::fromUtf8(name));
}

// The scenes on screen (the old one goes once the change has ended).
QStringList sceneTypes(const QWidget& guide) {
  QStringList types;
  for (const QWidget* stage : guide.findChildren<QWidget*>(QStringLiteral("guideStage"))) {
    for (const QWidget* scene : stage->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      types.append(QString::fromUtf8(scene->metaObject()->className()));
    }
  }
  return types;
}

// A guide over a window, shown as the window shows it; done counts the calls.
struct Shown {
  Shown() {
    window.resize(980, 680);
    window.show();
    guide.show();
  }
  QMainWindow window;
  int doneCalls = 0;
  GuideView guide{[this] { ++doneCalls; }, &window};
};

}  // namespace

class GuideViewTest : public QObject {
  Q_OBJECT

 private slots:
  // Return alone leads through the three steps; each shows its header, title,
  // text, dots, scene and buttons; the last Return calls done once.
  void keyboardAloneLeadsThroughTheSteps() {
    Shown shown;
    GuideView& guide = shown.guide;
    QVERIFY(QTest::qWaitForWindowExposed(&guide, test::patienceMs));
    QCOMPARE(guide.width(), 620);
    QCOMPARE(guide.windowModality(), Qt::WindowModal);

    struct Expected {
      const char* header;
      const char* title;
      const char* textStart;
      bool back;
      const char* primary;
      const char* scene;
    };
    const Expected expected[] = {
        {"Schritt 1 von 3", "Finde deinen Projektordner", "Öffne im Dateimanager den Ordner", false, "Weiter",
         "tovrane::app::FinderScene"},
        {"Schritt 2 von 3", "Zieh ihn ins Fenster", "Ziehe den ganzen Ordner auf die gestrichelte Fläche", true,
         "Weiter", "tovrane::app::DropScene"},
        {"Schritt 3 von 3", "Öffne das Ergebnis in Android Studio", "Daneben entsteht ein Ordner „…-Android“", true,
         "Los geht's", "tovrane::app::StudioScene"},
    };
    const int primaryTop = button(guide, "guidePrimary")->mapTo(&guide, QPoint()).y();
    for (int step = 0; step < 3; ++step) {
      const Expected& want = expected[step];
      QCOMPARE(guide.step(), step);
      QCOMPARE(labelText(guide, "guideHeader"), QString::fromUtf8(want.header));
      QCOMPARE(labelText(guide, "guideTitle"), QString::fromUtf8(want.title));
      QVERIFY2(labelText(guide, "guideText").startsWith(QString::fromUtf8(want.textStart)),
               qPrintable(labelText(guide, "guideText")));
      QCOMPARE(guide.findChild<QLabel*>(QStringLiteral("guideText"))->height(), 76);
      QCOMPARE(button(guide, "guideBack")->isVisible(), want.back);
      QCOMPARE(button(guide, "guidePrimary")->text(), QString::fromUtf8(want.primary));
      QTRY_COMPARE(sceneTypes(guide), QStringList{QString::fromUtf8(want.scene)});
      // The buttons keep their place whatever the text.
      QCOMPARE(button(guide, "guidePrimary")->mapTo(&guide, QPoint()).y(), primaryTop);
      QCOMPARE(guide.width(), 620);
      QCOMPARE(test::unnamedInteractiveWidgets(&guide), QStringList{});
      test::capture(&guide, QStringLiteral("guide-step-%1").arg(step + 1));

      // Esc and closing the window change nothing.
      QTest::keyClick(&guide, Qt::Key_Escape);
      guide.close();
      QVERIFY(guide.isVisible());
      QCOMPARE(guide.step(), step);
      QCOMPARE(shown.doneCalls, 0);

      QTest::keyClick(&guide, Qt::Key_Return);
    }
    QCOMPARE(shown.doneCalls, 1);
    QCOMPARE(guide.step(), 2);
    // The guide does not hide itself: the window's done does.
    QVERIFY(guide.isVisible());
  }

  // "Zurück" goes back one step and brings a new illustration; Return on it
  // still means the primary button.
  void backGoesOneStepBack() {
    Shown shown;
    GuideView& guide = shown.guide;
    QTest::keyClick(&guide, Qt::Key_Return);
    QTest::keyClick(&guide, Qt::Key_Return);
    QCOMPARE(guide.step(), 2);
    button(guide, "guideBack")->click();
    QCOMPARE(guide.step(), 1);
    QTRY_COMPARE(sceneTypes(guide), QStringList{QStringLiteral("tovrane::app::DropScene")});
    button(guide, "guideBack")->setFocus();
    QTest::keyClick(&guide, Qt::Key_Return);
    QCOMPARE(guide.step(), 2);
    button(guide, "guideBack")->click();
    button(guide, "guideBack")->click();
    QCOMPARE(guide.step(), 0);
    QVERIFY(!button(guide, "guideBack")->isVisible());
    QCOMPARE(shown.doneCalls, 0);
  }

  // A dark system palette changes nothing: dark text on white.
  void staysLightUnderADarkSystemPalette() {
    const QPalette before = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    Shown shown;
    QVERIFY(QTest::qWaitForWindowExposed(&shown.guide, test::patienceMs));
    const QImage picture = shown.guide.grab().toImage();
    QCOMPARE(picture.pixelColor(5, picture.height() / 2).rgb(), QColor(Qt::white).rgb());
    QCOMPARE(shown.guide.findChild<QLabel*>(QStringLiteral("guideTitle"))->palette().color(QPalette::WindowText),
             Brand::ink());
    QApplication::setPalette(before);
  }

  // With animations off (as in every test) each illustration rests at its end.
  void illustrationsRestAtTheirEndWithoutAnimations() {
    FinderScene finder;
    DropScene drop;
    StudioScene studio;
    QCOMPARE(finder.highlight(), 0.0);
    QCOMPARE(drop.dropped(), 0.0);
    for (QWidget* scene : std::initializer_list<QWidget*>{&finder, &drop, &studio}) {
      scene->resize(564, 260);
      scene->show();
    }
    QCOMPARE(finder.highlight(), 1.0);
    QCOMPARE(drop.dropped(), 1.0);
    for (double bar : studio.bars()) {
      QCOMPARE(bar, 1.0);
    }
  }
};

TOVRANE_APP_TEST(GuideViewTest)
#include "GuideViewTest.moc"
