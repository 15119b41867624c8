// How the main window looks: its frame, the groups where they belong, every caption and text
// readable in full, no widget over another, and the picture of the coating line.
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTabWidget>
#include <QtTest>

#include "TestSupport.h"
#include "app/CoatingLinePicture.h"

using namespace quillmere;
using namespace quillmere::test;

namespace {

// Room a line edit needs beside its text: frame and margins on both sides [px].
constexpr int kLineEditPadding = 8;

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

bool Near(QColor actual, QColor expected, int tolerance = 40) {
  return std::abs(actual.red() - expected.red()) <= tolerance &&
         std::abs(actual.green() - expected.green()) <= tolerance &&
         std::abs(actual.blue() - expected.blue()) <= tolerance;
}

}  // namespace

class InputPagesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void FrameAndGroupsStandWhereTheyBelong() {
    Window w;
    QCOMPARE(w.form.windowTitle(), QStringLiteral("Quillmere  (Refined  Version)"));
    QCOMPARE(w.form.size(), QSize(727, 545));
    QCOMPARE(w.form.minimumSize(), w.form.maximumSize());
    std::vector<std::pair<std::string, QRect>> places{
        {"GroupBox1", {8, 8, 340, 322}},       {"GroupBox2", {9, 343, 340, 163}},
        {"GroupBox10", {357, 161, 347, 53}},   {"GroupBox9", {540, 221, 142, 44}},
        {"GeneralGroup", {10, 4, 700, 505}},   {"FittingGroup", {9, 18, 654, 126}},
        {"PolymerGroup", {9, 153, 672, 51}},   {"Solvent1Group", {9, 206, 677, 109}},
        {"Solvent2Group", {8, 324, 678, 113}}, {"BaseFilmGroup", {7, 442, 678, 52}},
    };
    // Zones 3 to 14: two columns of three on each of the two zone pages.
    for (int zone = 3; zone <= 14; ++zone) {
      const int i = (zone - 3) % 6;
      places.push_back({"ZoneGroup" + std::to_string(zone),
                        {i < 3 ? 15 : 364, std::array{13, 177, 340}[i % 3], 336, 160}});
    }
    for (const auto& [name, rect] : places) {
      auto* group = w.Named<QGroupBox>(name);
      QVERIFY2(group, name.c_str());
      QCOMPARE(group->geometry(), rect);
    }
  }

  // Every caption of the window that the field table does not hold, written out here.
  void TabsGroupsAndButtonsCarryTheirCaptions() {
    Window w;
    auto* notebook = w.Named<QTabWidget>("TabbedNotebook1");
    QStringList tabs;
    for (int page = 0; page < notebook->count(); ++page) tabs << notebook->tabText(page);
    QCOMPARE(tabs, (QStringList{"Zone Cond. (1)", "Zone Cond. (2)", "Zone Cond. (3)",
                                "General Cond.", "Solvents and Plant"}));
    QCOMPARE(notebook->currentIndex(), 0);
    std::vector<std::pair<std::string, QString>> groups{
        {"GroupBox10", "  Calculation Accuracy  "},
        {"GroupBox9", "  Save File Name  "},
        {"GeneralGroup", "  General  "},
        {"FittingGroup", "Fitting Parameter"},
        {"PolymerGroup", "  Solid (Polymer)"},
        {"Solvent1Group", "  Solvent-1 "},
        {"Solvent2Group", "  Solvent-2  "},
        {"BaseFilmGroup", "  Base Film  "},
        {"GroupBox1", "Zone 1"},
        {"GroupBox2", "Zone 2"},
    };
    for (int zone = 3; zone <= 14; ++zone) {
      groups.push_back({"ZoneGroup" + std::to_string(zone), QStringLiteral("Zone %1").arg(zone)});
    }
    for (const auto& [name, caption] : groups) {
      auto* group = w.Named<QGroupBox>(name);
      QVERIFY2(group, name.c_str());
      QCOMPARE(group->title(), caption);
    }
    QCOMPARE(w.Named<QPushButton>("BitBtn1")->text(), QStringLiteral("OK"));
    QCOMPARE(w.Named<QPushButton>("InputData")->text(), QStringLiteral("Input Data File"));
    QCOMPARE(w.Named<QPushButton>("BitBtn2")->text(), QStringLiteral("&Close"));
    // The vapour pressure rows read log10 Ps = A - ( B /( T + C )).
    for (const char* group : {"Solvent1Group", "Solvent2Group"}) {
      QStringList texts;
      for (QLabel* label : w.Named<QGroupBox>(group)->findChildren<QLabel*>()) {
        texts << label->text();
      }
      for (const char* text : {"  Vapor Pressure (mmHg)  log10 Ps = ", "- (", "/( T + ", " )) "}) {
        QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
      }
    }
  }

  void NothingIsCutOffOrCovered() {
    Window w;
    for (const auto& field : AllFields()) {
      QLineEdit* edit = w.Edit(field.name);
      const int textWidth = edit->fontMetrics().horizontalAdvance(edit->text());
      QVERIFY2(textWidth + kLineEditPadding <= edit->width(), field.name.data());
      if (field.slot == FieldSlot::SaveFileName || field.caption.empty()) continue;
      // The field stands in a strip that shows its caption in full before it.
      auto* strip = qobject_cast<QLabel*>(edit->parentWidget());
      QVERIFY2(strip && strip->text() == ToQString(field.caption), field.name.data());
      QVERIFY2(strip->fontMetrics().horizontalAdvance(strip->text()) + 2 <= edit->x(),
               field.name.data());
    }
    auto* notebook = w.Named<QTabWidget>("TabbedNotebook1");
    for (int page = 0; page < notebook->count(); ++page) {
      notebook->setCurrentIndex(page);
      auto* panel = notebook->widget(page)->findChild<QFrame*>(
          QStringLiteral("PagePanel%1").arg(page + 1), Qt::FindDirectChildrenOnly);
      QVERIFY(panel);
      QCOMPARE(panel->size(), notebook->widget(page)->size());
      CheckNoOverlap(*panel);
      if (QTest::currentTestFailed()) return;
      // Every strip stays inside its group's frame, below the caption.
      for (QLabel* strip : panel->findChildren<QLabel*>()) {
        auto* group = qobject_cast<QGroupBox*>(strip->parentWidget());
        if (group == nullptr) continue;
        QVERIFY2(group->rect().adjusted(4, 16, -4, -2).contains(strip->geometry()),
                 qPrintable(strip->text()));
      }
    }
  }

  void PictureShowsTheLineInItsColours() {
    CoatingLinePicture widget(TestLook().family, nullptr);
    QCOMPARE(widget.size(), QSize(kPictureWidth, kPictureHeight));
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintCoatingLine(painter, TestLook().family);
    painter.end();
    QVERIFY(Near(image.pixelColor(2, 2), colours::kPictureSky, 2));      // background
    QVERIFY(Near(image.pixelColor(30, 57), QColor(0xd4, 0x1c, 0xc4)));   // coated layer
    QVERIFY(Near(image.pixelColor(30, 61), QColor(0x1f, 0x4f, 0xd8)));   // base film
    QVERIFY(Near(image.pixelColor(133, 84), QColor(0xff, 0xe5, 0x5c)));  // dryer
    QVERIFY(Near(image.pixelColor(186, 40), QColor(0xff, 0x86, 0x10)));  // hot gas
  }
};

QTEST_MAIN(InputPagesTest)
#include "InputPagesTest.moc"
