// The layout of the main window: groups where they belong, every row inside its group, no
// widget over another, every caption and default text readable in full.
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

#include "TestSupport.h"
#include "app/MainWindow.h"
#include "params/FieldTable.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

// Room a line edit needs beside its text: frame and margins on both sides [px].
constexpr int kLineEditPadding = 8;

struct Window {
  Window() : form(TestLook(), messages, '.', [](const QString&) { return std::nullopt; }) {
    form.show();
  }
  QWidget* Named(const char* name) const {
    return form.findChild<QWidget*>(QString::fromLatin1(name));
  }
  RecordingMessages messages;
  TForm1 form;
};

QString Name(const QWidget* widget) {
  return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                        : widget->objectName();
}

// Widgets whose children this test places: group boxes, panels and captioned strips.
bool IsContainer(const QWidget& widget) {
  return qobject_cast<const QGroupBox*>(&widget) != nullptr ||
         widget.metaObject() == &QLabel::staticMetaObject ||
         widget.metaObject() == &QFrame::staticMetaObject;
}

// No child of `parent` leaves it or lies over a sibling; the same within every container.
void CheckNoOverlap(const QWidget& parent) {
  QList<QWidget*> placed;
  for (QWidget* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() || child->isHidden()) continue;
    const QString where = Name(child) + QStringLiteral(" in ") + Name(&parent);
    QVERIFY2(parent.rect().contains(child->geometry()), qPrintable(where + " leaves it"));
    for (QWidget* other : placed) {
      QVERIFY2(!child->geometry().intersects(other->geometry()),
               qPrintable(where + " lies over " + Name(other)));
    }
    placed << child;
    if (IsContainer(*child)) {
      CheckNoOverlap(*child);
      if (QTest::currentTestFailed()) return;
    }
  }
}

}  // namespace

class InputPagesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void NamedElementsStandWhereTheyBelong() {
    Window w;
    const std::vector<std::pair<const char*, QRect>> places{
        {"GroupBox1", {8, 8, 340, 322}},
        {"GroupBox2", {9, 343, 340, 163}},
        {"Panel3", {353, 12, 361, 139}},
        {"GroupBox10", {357, 161, 347, 53}},
        {"InputData", {372, 227, 137, 31}},
        {"GroupBox9", {540, 221, 142, 44}},
        {"DirectoryListBox1", {371, 298, 158, 153}},
        {"FileListBox1", {546, 273, 154, 175}},
        {"BitBtn1", {409, 461, 110, 41}},
        {"BitBtn2", {556, 460, 110, 41}},
        {"GeneralGroup", {10, 4, 700, 505}},
        {"FittingGroup", {9, 18, 654, 126}},
        {"PolymerGroup", {9, 153, 672, 51}},
        {"Solvent1Group", {9, 206, 677, 109}},
        {"Solvent2Group", {8, 324, 678, 113}},
        {"BaseFilmGroup", {7, 442, 678, 52}},
    };
    for (const auto& [name, rect] : places) {
      QWidget* widget = w.Named(name);
      QVERIFY2(widget, name);
      QCOMPARE(widget->geometry(), rect);
    }
    QCOMPARE(w.Named("Image1")->size(), QSize(355, 132));
    QCOMPARE(w.Named("Edit250")->size(), QSize(109, 21));
    QCOMPARE(w.Named("DriveComboBox1")->pos(), QPoint(371, 273));
  }

  void ZoneGroupsInTwoColumnsOfThree() {
    Window w;
    for (int zone = 3; zone <= 14; ++zone) {
      const int i = (zone - 3) % 6;
      auto* group = w.form.findChild<QGroupBox*>(QStringLiteral("ZoneGroup%1").arg(zone));
      QVERIFY(group);
      QCOMPARE(group->title(), QStringLiteral("Zone %1").arg(zone));
      QCOMPARE(group->geometry(),
               QRect(i < 3 ? 15 : 364, std::array{13, 177, 340}[i % 3], 336, 160));
      QCOMPARE(group->findChildren<QLineEdit*>().size(), 6);
    }
    QCOMPARE(w.form.findChild<QGroupBox*>(QStringLiteral("GroupBox1"))
                 ->findChildren<QLineEdit*>()
                 .size(),
             13);
  }

  void GroupCaptionsAndColours() {
    Window w;
    const QColor red(0xff, 0, 0);
    const QColor maroon(0x80, 0, 0);
    for (QGroupBox* group : w.form.findChildren<QGroupBox*>()) {
      const bool inner = group->parentWidget()->objectName() == QStringLiteral("GeneralGroup");
      QCOMPARE(group->palette().color(QPalette::WindowText), inner ? maroon : red);
    }
    const auto title = [&w](const char* name) {
      return w.form.findChild<QGroupBox*>(QString::fromLatin1(name))->title();
    };
    QCOMPARE(title("GroupBox10"), QStringLiteral("  Calculation Accuracy  "));
    QCOMPARE(title("GroupBox9"), QStringLiteral("  Save File Name  "));
    QCOMPARE(title("GeneralGroup"), QStringLiteral("  General  "));
    QCOMPARE(title("FittingGroup"), QStringLiteral("Fitting Parameter"));
    QCOMPARE(title("PolymerGroup"), QStringLiteral("  Solid (Polymer)"));
    QCOMPARE(title("Solvent1Group"), QStringLiteral("  Solvent-1 "));
    QCOMPARE(title("Solvent2Group"), QStringLiteral("  Solvent-2  "));
    QCOMPARE(title("BaseFilmGroup"), QStringLiteral("  Base Film  "));
    QCOMPARE(w.Named("InputData")->palette().color(QPalette::ButtonText), maroon);
  }

  void EveryRowIsACaptionedStripWithItsFieldAtTheRightEnd() {
    Window w;
    for (const FieldSpec& field : AllFields()) {
      if (field.slot == FieldSlot::SaveFileName || field.caption.empty()) continue;
      const QString name = QString::fromUtf8(field.name.data(), qsizetype(field.name.size()));
      auto* edit = w.form.findChild<QLineEdit*>(name);
      auto* strip = qobject_cast<QLabel*>(edit->parentWidget());
      QVERIFY2(strip, qPrintable(name));
      QCOMPARE(strip->text(),
               QString::fromUtf8(field.caption.data(), qsizetype(field.caption.size())));
      QCOMPARE(strip->height(), 22);
      QCOMPARE(edit->height(), 21);
      QCOMPARE(strip->frameShadow(), QFrame::Sunken);
      QCOMPARE(strip->palette().color(QPalette::WindowText), QColor(0, 0, 0xff));
      QCOMPARE(edit->font().pixelSize(), 13);
      QCOMPARE(strip->font().pixelSize(), 12);
      // The caption is readable in full before the field.
      const int captionWidth = strip->fontMetrics().horizontalAdvance(strip->text());
      QVERIFY2(captionWidth + 2 <= edit->x(), qPrintable(name + " caption is cut off"));
      const bool formula = strip->findChild<QLabel*>() != nullptr;  // the vapour pressure row
      if (!formula) QCOMPARE(edit->geometry().right(), strip->width() - 1);
    }
  }

  void VapourPressureRowsShowTheFormula() {
    Window w;
    for (const auto& [a, b, c] : {std::array{"Edit224", "Edit225", "Edit226"},
                                  std::array{"Edit234", "Edit235", "Edit236"}}) {
      auto* editA = qobject_cast<QLineEdit*>(w.Named(a));
      auto* editB = qobject_cast<QLineEdit*>(w.Named(b));
      auto* editC = qobject_cast<QLineEdit*>(w.Named(c));
      auto* strip = qobject_cast<QLabel*>(editA->parentWidget());
      QCOMPARE(strip->text(), QStringLiteral("  Vapor Pressure (mmHg)  log10 Ps = "));
      QCOMPARE(editB->parentWidget(), strip);
      QCOMPARE(editC->parentWidget(), strip);
      QVERIFY(editA->x() < editB->x() && editB->x() < editC->x());
      QStringList between;
      for (QLabel* label : strip->findChildren<QLabel*>()) between << label->text();
      QCOMPARE(between, (QStringList{"- (", "/( T + ", " )) "}));
      const QList<QLabel*> labels = strip->findChildren<QLabel*>();
      QVERIFY(editA->geometry().right() < labels[0]->x() &&
              labels[0]->geometry().right() < editB->x());
      QVERIFY(editB->geometry().right() < labels[1]->x() &&
              labels[1]->geometry().right() < editC->x());
      QVERIFY(editC->geometry().right() < labels[2]->x());
      QVERIFY(labels[2]->geometry().right() < strip->width());
    }
  }

  void DefaultTextsAreReadableInFull() {
    Window w;
    for (QLineEdit* edit : w.form.findChildren<QLineEdit*>()) {
      const int textWidth = edit->fontMetrics().horizontalAdvance(edit->text());
      QVERIFY2(textWidth + kLineEditPadding <= edit->width(), qPrintable(edit->objectName()));
    }
  }

  void NoWidgetLiesOverAnother() {
    Window w;
    auto* notebook = w.form.findChild<QTabWidget*>(QStringLiteral("TabbedNotebook1"));
    for (int page = 0; page < notebook->count(); ++page) {
      notebook->setCurrentIndex(page);
      QWidget* panel = notebook->widget(page)->findChild<QFrame*>(
          QStringLiteral("PagePanel%1").arg(page + 1), Qt::FindDirectChildrenOnly);
      QVERIFY(panel);
      QCOMPARE(panel->size(), notebook->widget(page)->size());
      CheckNoOverlap(*panel);
      if (QTest::currentTestFailed()) return;
      // Every strip stays inside its group's frame, below the caption.
      for (QLabel* strip : panel->findChildren<QLabel*>()) {
        auto* group = qobject_cast<QGroupBox*>(strip->parentWidget());
        if (group == nullptr) continue;
        QVERIFY2(strip->y() >= 16 && strip->geometry().bottom() < group->height() - 2,
                 qPrintable(strip->text()));
        QVERIFY2(strip->x() >= 4 && strip->geometry().right() < group->width() - 4,
                 qPrintable(strip->text()));
      }
    }
  }
};

QTEST_MAIN(InputPagesTest)
#include "InputPagesTest.moc"
