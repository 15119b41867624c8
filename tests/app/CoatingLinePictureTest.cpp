// The picture of the coating line: its size and that each part is drawn in its colour where
// it belongs.
#include <QImage>
#include <QPainter>
#include <QtTest>

#include "TestSupport.h"
#include "app/CoatingLinePicture.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

QImage Picture() {
  QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintCoatingLine(painter, TestLook().family);
  return image;
}

bool Near(QColor actual, QColor expected, int tolerance = 40) {
  return std::abs(actual.red() - expected.red()) <= tolerance &&
         std::abs(actual.green() - expected.green()) <= tolerance &&
         std::abs(actual.blue() - expected.blue()) <= tolerance;
}

// Pixels noticeably darker than the background in a rectangle (text, lines).
int InkIn(const QImage& image, const QRect& area) {
  int ink = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) ink += qGray(image.pixel(x, y)) < 110;
  }
  return ink;
}

}  // namespace

class CoatingLinePictureTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void WidgetHasThePictureSize() {
    CoatingLinePicture picture(TestLook().family, nullptr);
    QCOMPARE(picture.size(), QSize(355, 132));
  }

  void PartsInTheirColours() {
    const QImage image = Picture();
    QVERIFY(Near(image.pixelColor(2, 2), colours::kPictureSky, 2));      // background
    QVERIFY(Near(image.pixelColor(30, 57), QColor(0xd4, 0x1c, 0xc4)));   // coated layer
    QVERIFY(Near(image.pixelColor(30, 61), QColor(0x1f, 0x4f, 0xd8)));   // base film
    QVERIFY(Near(image.pixelColor(133, 84), QColor(0xff, 0xe5, 0x5c)));  // dryer
    QVERIFY(Near(image.pixelColor(336, 70), QColor(0xff, 0xe5, 0x5c)));  // dryer
    QVERIFY(Near(image.pixelColor(186, 40), QColor(0xff, 0x86, 0x10)));  // hot gas
    const QColor roller = image.pixelColor(172 + 3, 69);                 // a roller
    QVERIFY(qAbs(roller.red() - roller.blue()) < 20 && roller.red() > 100 && roller.red() < 240);
    // The web is under the dryer's roof and above its floor.
    QVERIFY(Near(image.pixelColor(230, 57), QColor(0xd4, 0x1c, 0xc4)));
  }

  void LabelsAndDimensionLinesAreDrawn() {
    const QImage image = Picture();
    QVERIFY(InkIn(image, QRect(40, 108, 55, 16)) > 20);    // "Zone 1"
    QVERIFY(InkIn(image, QRect(205, 108, 55, 16)) > 20);   // "Zone 2"
    QVERIFY(InkIn(image, QRect(10, 103, 100, 3)) > 50);    // zone 1's dimension line
    QVERIFY(InkIn(image, QRect(140, 103, 180, 3)) > 100);  // zone 2's dimension line
    QVERIFY(InkIn(image, QRect(8, 28, 70, 12)) > 30);      // "Coated Layer"
    QVERIFY(InkIn(image, QRect(8, 78, 55, 12)) > 20);      // "Base Film"
    QVERIFY(InkIn(image, QRect(80, 7, 30, 12)) > 15);      // "Dryer"
    QVERIFY(InkIn(image, QRect(283, 5, 45, 12)) > 15);     // "Hot Gas"
  }
};

QTEST_MAIN(CoatingLinePictureTest)
#include "CoatingLinePictureTest.moc"
