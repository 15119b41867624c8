#include "app/ZoneTable.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/FormatFixed.h"

namespace quillmere {
namespace {

//! How the table writes its numbers: as the result file writes them.
struct Fixed {
  int Precision;
  int Digits;
};
constexpr Fixed kTemperatureFixed{6, 2};  // the zone conditions' and the table's [°C]
constexpr Fixed kLengthFixed{6, 2};       // the zone conditions' zone length [m]
constexpr Fixed kTimeFixed{8, 3};         // the table's TIME [s]
constexpr Fixed kResidualFixed{6, 4};     // RESIDUAL RAT [-]
constexpr Fixed kWeightFixed{7, 5};       // WEIGHT [kg/m2]

// Columns of the table: the web's state at each zone's exit.
enum ZoneColumn {
  kZoneNumber,
  kAirTemperature,
  kLength,
  kExitTime,
  kExitTemperature,
  kExitResidual1,
  kExitResidual2,
  kEvaporated,
  kWarnings,
  kZoneColumns
};

}  // namespace

ZoneTable::ZoneTable(char decimalSeparator, QWidget* parent)
    : QWidget(parent), decimalSeparator_(decimalSeparator) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(2);
  summary_ = new QLabel;
  summary_->setObjectName(QStringLiteral("WarningsSummary"));
  summary_->setWordWrap(true);
  summary_->setTextFormat(Qt::RichText);
  summary_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  summary_->setFocusPolicy(Qt::TabFocus);
  connect(summary_, &QLabel::linkActivated, this, [this](const QString& link) {
    if (link == QLatin1String("plant:")) {
      Q_EMIT PlantAsked();
    } else {
      ShowZone(link.section(QLatin1Char(':'), 1).toInt());
    }
  });
  summary_->hide();
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("RunNote"));
  note_->setWordWrap(true);
  note_->setStyleSheet(QStringLiteral("color: #a00000"));
  note_->hide();
  table_ = new QTableWidget(0, kZoneColumns);
  table_->setObjectName(QStringLiteral("ZoneTable"));
  SetColumnTitles(false);
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  // Tab leaves the table for the next control; the arrows move within it.
  table_->setTabKeyNavigation(false);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // The warnings take the width that is left and wrap in it: their whole text shows.
  table_->horizontalHeader()->setSectionResizeMode(kWarnings, QHeaderView::Stretch);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setWordWrap(true);
  table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  layout->addWidget(summary_);
  layout->addWidget(note_);
  layout->addWidget(table_, 1);
  UpdateHeights();
}

QString ZoneTable::Number(double value, int precision, int digits) const {
  return QString::fromStdString(FormatFixed(value, precision, digits, decimalSeparator_));
}

void ZoneTable::Show(const RunSeries* run, int plantWarnings, const StepError* stepError) {
  table_->setRowCount(0);
  note_->hide();
  summary_->hide();
  if (run != nullptr) {
    FillRows(*run, stepError);
    ShowNote(*run);
    ShowSummary(*run, plantWarnings);
  }
  UpdateHeights();
}

void ZoneTable::FillRows(const RunSeries& run, const StepError* stepError) {
  table_->setRowCount(static_cast<int>(run.Zones.size()));
  for (int row = 0; row < static_cast<int>(run.Zones.size()); ++row) {
    const ZoneSummary& zone = run.Zones[static_cast<std::size_t>(row)];
    QStringList warnings;
    for (const PhysicalWarning& warning : run.Warnings) {
      if (warning.Where.Zone == zone.Zone) warnings << QString::fromStdString(warning.Text);
    }
    const auto number = [this](double value, Fixed format) {
      return Number(value, format.Precision, format.Digits);
    };
    QString texts[kZoneColumns]{QString::number(zone.Zone),
                                number(zone.OuterTemperature, kTemperatureFixed),
                                number(zone.Length, kLengthFixed),
                                number(zone.Exit.Time, kTimeFixed),
                                number(zone.Exit.Temperature, kTemperatureFixed),
                                number(zone.Exit.Solvent1Residual, kResidualFixed),
                                number(zone.Exit.Solvent2Residual, kResidualFixed),
                                number(zone.SolventEvaporated, kWeightFixed),
                                warnings.join(QLatin1Char('\n'))};
    if (stepError != nullptr) AppendStepErrors(*stepError, zone.Zone, texts);
    for (int column = 0; column < kZoneColumns; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      // At the top of the row, with the first line of its warnings, however tall it is.
      item->setTextAlignment((column != kWarnings ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
      if (!warnings.isEmpty()) {
        item->setBackground(QColor(0xff, 0xf4, 0xc8));
        item->setToolTip(warnings.join(QLatin1Char('\n')));
      }
      table_->setItem(row, column, item);
    }
  }
  table_->resizeRowsToContents();
}

void ZoneTable::AppendStepErrors(const StepError& stepError, int zone, QString* texts) const {
  for (const FigureStepError& f : stepError.Figures) {
    if (f.Figure.Zone != zone) continue;
    const int column = f.Figure.Kind == FigureKind::Temperature ? kExitTemperature
                       : f.Figure.Kind == FigureKind::Residual1 ? kExitResidual1
                       : f.Figure.Kind == FigureKind::Residual2 ? kExitResidual2
                                                                : -1;
    if (column < 0) continue;
    const std::string error = f.Status == StepErrorStatus::Estimated
                                  ? SignedErrorText(f.Error, decimalSeparator_)
                              : f.Status == StepErrorStatus::Converged ? std::string("0")
                                                                       : std::string("?");
    texts[column] += QStringLiteral(" (%1)").arg(QString::fromStdString(error));
  }
}

void ZoneTable::ShowNote(const RunSeries& run) {
  QStringList note;
  if (run.Fault) {
    const QString fault = QString::fromStdString(run.Fault->Message);
    note << (run.Fault->Zone >= 1
                 ? QStringLiteral("The run ended on a fault in zone %1 (%2): the curves show the "
                                  "zones finished before it.")
                       .arg(run.Fault->Zone)
                       .arg(fault)
                 : QStringLiteral("The run ended on a fault before the first zone (%1).")
                       .arg(fault));
  }
  // Warnings of a zone the run did not finish.
  for (const PhysicalWarning& warning : run.Warnings) {
    if (warning.Where.Zone < 1 || warning.Where.Zone > static_cast<int>(run.Zones.size())) {
      note << QStringLiteral("Zone %1: %2")
                  .arg(warning.Where.Zone)
                  .arg(QString::fromStdString(warning.Text));
    }
  }
  if (!note.isEmpty()) {
    note_->setText(note.join(QLatin1Char('\n')));
    note_->show();
  }
}

void ZoneTable::ShowSummary(const RunSeries& run, int plantWarnings) {
  // One line above the table counts the warnings and links each zone that has some to its
  // row, and the plant's to its page; the table starts at the first.
  std::vector<int> warned;
  for (const PhysicalWarning& warning : run.Warnings) {
    if (std::find(warned.begin(), warned.end(), warning.Where.Zone) == warned.end()) {
      warned.push_back(warning.Where.Zone);
    }
  }
  std::sort(warned.begin(), warned.end());
  if (warned.empty() && plantWarnings == 0) return;
  QStringList links;
  for (const int zone : warned) {
    links << (zone >= 1 && zone <= static_cast<int>(run.Zones.size())
                  ? QStringLiteral("<a href=\"zone:%1\">zone %1</a>").arg(zone)
                  : QStringLiteral("zone %1").arg(zone));
  }
  if (plantWarnings > 0) links << QStringLiteral("<a href=\"plant:\">the plant</a>");
  const auto count = static_cast<int>(run.Warnings.size()) + plantWarnings;
  summary_->setText(
      (plantWarnings == 0
           ? QStringLiteral("<b>%1</b> in %2 (the rows below give them in full; a zone shows its "
                            "row)")
           : QStringLiteral("<b>%1</b> in %2 (the rows below give the zones' in full; the plant "
                            "shows its page)"))
          .arg(count == 1 ? QStringLiteral("1 warning") : QStringLiteral("%1 warnings").arg(count),
               links.join(QStringLiteral(", "))));
  summary_->show();
  if (!warned.empty()) ShowZone(warned.front());
}

void ZoneTable::ShowZone(int zone) {
  for (int row = 0; row < table_->rowCount(); ++row) {
    if (table_->item(row, kZoneNumber)->text() == QString::number(zone)) {
      table_->selectRow(row);
      table_->scrollToItem(table_->item(row, kZoneNumber), QAbstractItemView::PositionAtTop);
      return;
    }
  }
}

void ZoneTable::SetColumnTitles(bool narrow) {
  // In a narrow window the titles take a line more, and the warnings the width they leave.
  narrow_ = narrow;
  table_->setHorizontalHeaderLabels(
      narrow ? QStringList{QStringLiteral("Zone"), QStringLiteral("Air\n(°C)"),
                           QStringLiteral("Length\n(m)"), QStringLiteral("Time\nat exit\n(s)"),
                           QStringLiteral("Web\nat exit\n(°C)"),
                           QStringLiteral("Residual\nratio 1 at\nexit (-)"),
                           QStringLiteral("Residual\nratio 2 at\nexit (-)"),
                           QStringLiteral("Evaporated\n(kg/m2)"), QStringLiteral("Warnings")}
             : QStringList{QStringLiteral("Zone"), QStringLiteral("Air\n(°C)"),
                           QStringLiteral("Length\n(m)"), QStringLiteral("Time at exit\n(s)"),
                           QStringLiteral("Web at exit\n(°C)"),
                           QStringLiteral("Residual ratio 1\nat exit (-)"),
                           QStringLiteral("Residual ratio 2\nat exit (-)"),
                           QStringLiteral("Evaporated\n(kg/m2)"), QStringLiteral("Warnings")});
}

void ZoneTable::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  constexpr int kNarrow = 900;  // [px] below which the titles take three lines
  if ((width() < kNarrow) != narrow_) SetColumnTitles(width() < kNarrow);
  // The warnings wrap in the width the table has now: their rows' heights follow it.
  table_->resizeRowsToContents();
  UpdateHeights();
}

QString ZoneTable::Summary() const {
  return summary_->isVisible() ? summary_->text() : QString();
}

int ZoneTable::ShownRowHeight() const {
  for (int r = 0; r < table_->rowCount(); ++r) {
    if (!table_->item(r, kWarnings)->text().isEmpty()) return table_->rowHeight(r);
  }
  return table_->verticalHeader()->defaultSectionSize();
}

int ZoneTable::LeastHeight() const {
  constexpr int kLeastWarningLines = 4;  // of a long row shown where the window is short
  const int around = table_->horizontalHeader()->sizeHint().height() + 2 * table_->frameWidth();
  const int row = ShownRowHeight();
  const int whole = around + row;
  if (!room_) return whole;
  const int lines = table_->verticalHeader()->defaultSectionSize() +
                    (kLeastWarningLines - 1) * table_->fontMetrics().lineSpacing();
  const int others = minimumSizeHint().height() - table_->minimumHeight();
  return std::clamp(*room_ - others, around + std::min(row, lines), whole);
}

void ZoneTable::SetRoom(int room) {
  if (room_ == room) return;
  room_ = room;
  UpdateHeights();
}

void ZoneTable::UpdateHeights() {
  table_->setMinimumHeight(LeastHeight());
}

}  // namespace quillmere
