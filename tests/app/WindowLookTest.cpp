// The fonts of the windows: a Japanese Gothic where one is installed, pixel sizes as asked.
#include <QFontDatabase>
#include <QFontInfo>
#include <QtTest>

#include "app/WindowLook.h"

using namespace quillmere;

class WindowLookTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void PrefersAJapaneseProportionalGothic() {
    const WindowLook look = ChooseWindowLook();
    if (QFontDatabase::families().contains(QStringLiteral("IPAPGothic"))) {
      QCOMPARE(look.family, QStringLiteral("IPAPGothic"));
      QCOMPARE(QFontInfo(look.Font(kCaptionPixels)).family(), QStringLiteral("IPAPGothic"));
    }
    QVERIFY(!look.family.isEmpty());
    QVERIFY(!look.tabFamily.isEmpty());
    QVERIFY(look.tabFamily != QStringLiteral("IPAPGothic"));
  }

  void FontsHaveTheirPixelSizes() {
    const WindowLook look = ChooseWindowLook();
    QCOMPARE(look.Font(kCaptionPixels).pixelSize(), 12);
    QCOMPARE(look.Font(kFieldPixels).pixelSize(), 13);
    QCOMPARE(look.Font(kButtonPixels).pixelSize(), 15);
    QCOMPARE(look.TabFont().pixelSize(), 13);
    QCOMPARE(QFontInfo(look.Font(kCaptionPixels)).pixelSize(), 12);
  }
};

QTEST_MAIN(WindowLookTest)
#include "WindowLookTest.moc"
