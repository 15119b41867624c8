#include "app/SolventPlantPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <limits>
#include <string>

#include "app/FieldRows.h"
#include "app/LineEditFieldTexts.h"
#include "base/Error.h"
#include "base/PrintableText.h"
#include "base/UserMessages.h"
#include "params/PlantInputs.h"
#include "report/SolventLibrary.h"

namespace quillmere {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QGroupBox* Group(QWidget& parent, const WindowLook& look, const char* name, const QString& caption,
                 const QRect& geometry) {
  auto* group = new QGroupBox(caption, &parent);
  group->setObjectName(QString::fromLatin1(name));
  group->setFont(look.Font(kCaptionPixels));
  group->setGeometry(geometry);
  SetTextColour(*group, colours::kGroup);
  return group;
}

QLabel* Strip(QWidget& parent, const WindowLook& look, const QString& caption,
              const QRect& geometry) {
  auto* strip = new QLabel(caption, &parent);
  strip->setTextFormat(Qt::PlainText);
  strip->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  strip->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  strip->setFont(look.Font(kCaptionPixels));
  strip->setGeometry(geometry);
  SetTextColour(*strip, colours::kCaption);
  return strip;
}

//! An input field of a plant input, registered under its name.
QLineEdit* PlantEdit(QWidget& parent, const WindowLook& look, char separator,
                     LineEditFieldTexts& fields, std::string_view name, const QRect& geometry) {
  const PlantFieldSpec& field = *FindPlantField(name);
  auto* edit = new QLineEdit(FromUtf8(PlantDefaultText(field, separator)), &parent);
  edit->setObjectName(FromUtf8(field.name));
  edit->setFont(look.Font(kFieldPixels));
  edit->setGeometry(geometry);
  edit->setMaxLength(std::numeric_limits<int>::max());
  fields.Add(field.name, edit);
  return edit;
}

//! A captioned strip with the plant input's field at its right end.
QLineEdit* PlantRow(QWidget& parent, const WindowLook& look, char separator,
                    LineEditFieldTexts& fields, std::string_view name, const QString& caption,
                    const QRect& strip, int fieldWidth) {
  QLabel* label = Strip(parent, look, caption, strip);
  FitTextWidth(*label, strip.width() - fieldWidth - 4);
  return PlantEdit(*label, look, separator, fields, name,
                   QRect(strip.width() - fieldWidth, 0, fieldWidth, kFieldHeight));
}

//! A text of the solvent library as the page shows it: a user's file may hold anything, so
//! control characters are escaped and a text too long to quote is cut with its length named,
//! as the messages quote it.
QString Shown(std::string_view text) {
  return FromUtf8(text.size() > kLongestQuoted ? Quoted(text) : PrintableText(text));
}

//! What the page tells of a solvent: its LEL and flash point, and where its constants hold.
QString SolventNote(const SolventLibrary& library, const std::string& name, int number) {
  if (name.empty() || name == kAsSpecified) {
    const Solvent* like = library.Find(number == 1 ? "MEK" : "Toluene");
    QString note = QStringLiteral("The original pair's constants.");
    if (like != nullptr) {
      note += QStringLiteral(" LEL %1 % and flash point %2 °C of %3, which it matches.")
                  .arg(Shown(like->Lel.Text), Shown(like->FlashPoint.Text), Shown(like->Name));
    }
    return note;
  }
  const Solvent* s = library.Find(name);
  if (s == nullptr) return QStringLiteral("Not in the solvent library.");
  QString lel = s->Flammable ? (s->Lel.Value ? Shown(s->Lel.Text) + QStringLiteral(" %")
                                             : QStringLiteral("not known"))
                             : QStringLiteral("not flammable");
  QString note = QStringLiteral("CAS %1.  LEL %2").arg(Shown(s->Cas), lel);
  if (s->FlashPoint.Value) {
    note += QStringLiteral(", flash point %1 °C").arg(Shown(s->FlashPoint.Text));
  }
  note += QStringLiteral(".  Antoine constants valid from %1 to %2 °C.")
              .arg(s->AntoineMin)
              .arg(s->AntoineMax);
  return note;
}

//! Whether `solvent` may be Solvent-`number`: one that lacks a property a run needs is
//! refused as the command line refuses it, the message naming the solvent and the column.
bool RunReady(const Solvent& solvent, int number, UserMessages& messages) {
  try {
    RequireRunProperties(solvent, number);
    return true;
  } catch (const Error& error) {
    messages.ShowMessage(error.what());
    if (!error.Details().empty()) messages.ShowDetail(error.Details());
    return false;
  }
}

//! Shows in `choice` the solvent whose name the name field holds (`text`): none for a name the
//! library lacks.
void ShowChoice(QComboBox& choice, const SolventLibrary& library, const QString& text) {
  const QSignalBlocker quiet(&choice);
  const Solvent* s = library.Find(text.toStdString());
  choice.setCurrentIndex(s ? choice.findData(FromUtf8(s->Name))
                           : (text.isEmpty() || text == FromUtf8(kAsSpecified) ? 0 : -1));
}

//! The choice of Solvent-`number` with its note, and the hidden name field a data file fills.
//! The items show the names printable; each keeps the library's name as its data.
void AddSolventChoice(QGroupBox& solvents, const WindowLook& look, char decimalSeparator,
                      LineEditFieldTexts& fields, const SolventLibrary& library,
                      UserMessages& messages, int number) {
  const int top = 24 + (number - 1) * 52;
  Strip(solvents, look, QStringLiteral("  Solvent-%1").arg(number), QRect(12, top, 110, 22));
  auto* choice = new QComboBox(&solvents);
  choice->setObjectName(QStringLiteral("Solvent%1Choice").arg(number));
  choice->setFont(look.Font(kFieldPixels));
  choice->setGeometry(126, top, 200, 22);
  choice->addItem(FromUtf8(kAsSpecified), FromUtf8(kAsSpecified));
  for (const Solvent& s : library.Entries()) choice->addItem(Shown(s.Name), FromUtf8(s.Name));
  auto* note = new QLabel(&solvents);
  note->setObjectName(QStringLiteral("Solvent%1Note").arg(number));
  note->setTextFormat(Qt::PlainText);
  note->setFont(look.Font(kCaptionPixels));
  note->setGeometry(334, top - 4, 362, 44);
  note->setWordWrap(true);
  SetTextColour(*note, colours::kCaption);
  QLineEdit* name = PlantEdit(solvents, look, decimalSeparator, fields, SolventNameField(number),
                              QRect(126, top + 24, 200, kFieldHeight));
  name->hide();
  note->setText(SolventNote(library, name->text().toStdString(), number));

  QObject::connect(choice, &QComboBox::activated, choice,
                   [&fields, &library, &messages, number, decimalSeparator, choice, name] {
                     const Solvent* chosen =
                         library.Find(choice->currentData().toString().toStdString());
                     if (chosen != nullptr && !RunReady(*chosen, number, messages)) {
                       ShowChoice(*choice, library, name->text());  // the solvent in force stays
                       return;
                     }
                     ApplySolventChoice(fields, number, chosen, decimalSeparator, true);
                   });
  QObject::connect(name, &QLineEdit::textChanged, choice,
                   [&library, number, choice, note](const QString& text) {
                     ShowChoice(*choice, library, text);
                     note->setText(SolventNote(library, text.toStdString(), number));
                   });
}

}  // namespace

void BuildSolventPlantPage(QWidget& page, const WindowLook& look, char decimalSeparator,
                           LineEditFieldTexts& fields, const SolventLibrary& library,
                           UserMessages& messages) {
  // Solvents: a choice each, with a hidden name field that a data file fills.
  QGroupBox* solvents =
      Group(page, look, "GroupSolvents", QStringLiteral("  Solvents  "), QRect(8, 6, 705, 150));
  for (int number = 1; number <= 2; ++number) {
    AddSolventChoice(*solvents, look, decimalSeparator, fields, library, messages, number);
  }
  auto* solventNote = new QLabel(
      QStringLiteral("A choice fills the solvent's Antoine constants and molecular weight "
                     "(fixed) and its other properties on \"General Cond.\" (yours to change)."),
      solvents);
  solventNote->setFont(look.Font(kCaptionPixels));
  solventNote->setGeometry(12, 124, 684, 20);
  FitTextWidth(*solventNote, 684);

  // The plant.
  QGroupBox* plant =
      Group(page, look, "GroupPlant", QStringLiteral("  Plant  "), QRect(8, 162, 705, 80));
  PlantRow(*plant, look, decimalSeparator, fields, "WebWidth",
           QStringLiteral("  Web (Coating) Width (m)"), QRect(12, 22, 330, 22), 90);
  PlantRow(*plant, look, decimalSeparator, fields, "AmbientTemperature",
           QStringLiteral("  Make-up Air Temperature (℃)"), QRect(358, 22, 336, 22), 90);
  auto* monitoring = new QCheckBox(
      QStringLiteral("Continuous LEL monitoring controls the zones (limit 50 % of the LEL, "
                     "else 25 %)"),
      plant);
  monitoring->setObjectName(QStringLiteral("LelMonitoringCheck"));
  monitoring->setFont(look.Font(kCaptionPixels));
  monitoring->setGeometry(12, 50, 682, 22);
  QLineEdit* monitoringText =
      PlantEdit(*plant, look, decimalSeparator, fields, "LelMonitoring", QRect(0, 0, 10, 10));
  monitoringText->hide();
  QObject::connect(monitoring, &QCheckBox::toggled, monitoringText, [monitoringText](bool on) {
    monitoringText->setText(on ? QStringLiteral("yes") : QStringLiteral("no"));
  });
  QObject::connect(
      monitoringText, &QLineEdit::textChanged, monitoring, [monitoring](const QString& text) {
        const QSignalBlocker quiet(monitoring);
        monitoring->setChecked(text.trimmed().compare(QStringLiteral("yes"), Qt::CaseInsensitive) ==
                               0);
      });

  // The exhaust of each zone, in two columns of seven.
  QGroupBox* exhaust = Group(
      page, look, "GroupExhaust",
      QStringLiteral("  Exhaust Air (Nm3/h at 0 ℃, 101.325 kPa; empty: sized to the limit)  "),
      QRect(8, 248, 705, 206));
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    const int column = (zone - 1) / 7;
    const int row = (zone - 1) % 7;
    PlantRow(*exhaust, look, decimalSeparator, fields, ExhaustFieldName(zone),
             QStringLiteral("  Exhaust Air of Zone %1").arg(zone),
             QRect(12 + column * 346, 22 + row * 25, 336, 22), 110);
    // Whether the zone's air follows from its exhaust: a data file's plant line sets it; the
    // page has no room of its own for it yet.
    PlantEdit(*exhaust, look, decimalSeparator, fields, ZoneAirFieldName(zone), QRect(0, 0, 10, 10))
        ->hide();
  }
  auto* caveat = new QLabel(
      QStringLiteral("The plant figures need the web width. Casing losses and fan heat are not "
                     "modelled."),
      &page);
  caveat->setObjectName(QStringLiteral("PlantCaveat"));
  caveat->setFont(look.Font(kCaptionPixels));
  caveat->setGeometry(16, 460, 690, 20);
  SetTextColour(*caveat, colours::kInnerGroup);
}

}  // namespace quillmere
