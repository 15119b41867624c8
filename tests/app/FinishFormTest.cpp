// The finish dialog: its texts, their places and colours, and that every way of closing it is
// OK.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "TestSupport.h"
#include "app/FinishForm.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

QLabel* LabelWithText(const QWidget& parent, const QString& text) {
  for (QLabel* label : parent.findChildren<QLabel*>()) {
    if (label->text() == text) return label;
  }
  return nullptr;
}

}  // namespace

class FinishFormTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void CaptionAndFixedSize() {
    TFinishForm form(TestLook());
    QCOMPARE(form.objectName(), QStringLiteral("FinishForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("FinishForm"));
    QCOMPARE(form.size(), QSize(316, 206));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.isModal());
    QVERIFY(!form.isVisible());
  }

  void TextsStandWhereTheyBelong() {
    TFinishForm form(TestLook());
    QLabel* notice = LabelWithText(form, QStringLiteral("Calculation is successfully finished !"));
    QVERIFY(notice);
    QCOMPARE(notice->geometry(), QRect(21, 16, 269, 41));
    QCOMPARE(notice->frameShadow(), QFrame::Raised);
    QCOMPARE(notice->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(notice->font().pixelSize(), 16);

    QLabel* version = LabelWithText(form, QStringLiteral("Refined Version 1.3"));
    QVERIFY(version);
    QCOMPARE(version->pos(), QPoint(88, 72));
    QCOMPARE(version->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(version->font().pixelSize(), 16);

    QLabel* date = LabelWithText(form, QStringLiteral("2010.8.23"));
    QVERIFY(date);
    QCOMPARE(date->pos(), QPoint(122, 123));
    QCOMPARE(date->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(date->font().pixelSize(), 15);
    // Every text fits inside the dialog.
    for (QLabel* label : {notice, version, date}) {
      const QRect onForm(label->mapTo(&form, QPoint(0, 0)), label->size());
      QVERIFY(form.rect().contains(onForm));
      QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    }

    auto* ok = form.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(ok->geometry(), QRect(106, 151, 102, 31));
    QVERIFY(ok->isDefault());
    QVERIFY(!ok->icon().isNull());
  }

  void OkClosesItWithOk() {
    TFinishForm form(TestLook());
    QTimer::singleShot(0, &form, [&form] {
      QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
  }

  void EnterIsOk() {
    TFinishForm form(TestLook());
    QTimer::singleShot(0, &form, [&form] { QTest::keyClick(&form, Qt::Key_Return); });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
  }

  void CloseBoxIsOk() {
    TFinishForm form(TestLook());
    QTimer::singleShot(0, &form, [&form] { form.close(); });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QTimer::singleShot(0, &form, [&form] { QTest::keyClick(&form, Qt::Key_Escape); });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(FinishFormTest)
#include "FinishFormTest.moc"
