#include "app/window/PageLayout.hpp"
#include "tests/app/AppTest.hpp"

#include <QtTest>

using namespace tovrane::app;

namespace {
// A fixed-size item of the given width, 30 high.
class Block : public QWidget {
 public:
  explicit Block(int width, QWidget* parent) : QWidget(parent), width_(width) {}
  QSize sizeHint() const override { return {width_, 30}; }

 private:
  int width_;
};
}  // namespace

class PageLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  // A row that fits stays one line with its last item at the end; a narrower
  // one wraps, never wider than it is given.
  void flowWrapsWhereTheWidthRunsOut_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<QRect>>("geometries");
    QTest::addColumn<int>("height");
    QTest::newRow("room to spare") << 400
                                   << QList<QRect>{{0, 0, 100, 30}, {110, 0, 80, 30}, {340, 0, 60, 30}} << 30;
    QTest::newRow("exactly one line") << 260
                                      << QList<QRect>{{0, 0, 100, 30}, {110, 0, 80, 30}, {200, 0, 60, 30}} << 30;
    QTest::newRow("wraps") << 200 << QList<QRect>{{0, 0, 100, 30}, {110, 0, 80, 30}, {0, 40, 60, 30}} << 70;
    QTest::newRow("one item a line, the widest cut") << 90
                                                     << QList<QRect>{{0, 0, 90, 30}, {0, 40, 80, 30}, {0, 80, 60, 30}}
                                                     << 110;
  }
  void flowWrapsWhereTheWidthRunsOut() {
    QFETCH(int, width);
    QFETCH(QList<QRect>, geometries);
    QFETCH(int, height);
    QWidget row;
    auto* layout = new FlowLayout(10, true, &row);
    QList<QWidget*> blocks;
    for (int blockWidth : {100, 80, 60}) {
      blocks << new Block(blockWidth, &row);
      layout->addWidget(blocks.back());
    }
    QCOMPARE(layout->sizeHint(), QSize(260, 30));
    QCOMPARE(layout->heightForWidth(width), height);
    layout->setGeometry(QRect(0, 0, width, height));
    QList<QRect> placed;
    for (QWidget* block : blocks) placed << block->geometry();
    QCOMPARE(placed, geometries);
  }
};

TOVRANE_APP_TEST(PageLayoutTest)
#include "PageLayoutTest.moc"
