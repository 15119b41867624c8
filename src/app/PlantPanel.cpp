#include "app/PlantPanel.h"

#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/plant/PlantReport.h"
#include "base/FormatFixed.h"
#include "plot/PlantChart.h"

namespace quillmere {
namespace {

const QStringList kHeaders{QStringLiteral("Zone"),
                           QStringLiteral("Air\n(°C)"),
                           QStringLiteral("Solvent-1\n(kg/h)"),
                           QStringLiteral("Solvent-2\n(kg/h)"),
                           QStringLiteral("LEL of the\nmixture (%)"),
                           QStringLiteral("Exhaust\n(Nm³/h)"),
                           QStringLiteral("Exhaust\n(% of LEL)"),
                           QStringLiteral("Limit\n(% of LEL)"),
                           QStringLiteral("Least exhaust\n(Nm³/h)"),
                           QStringLiteral("Qweb\n(kW)"),
                           QStringLiteral("of it latent\n(kW)"),
                           QStringLiteral("Qair\n(kW)"),
                           QStringLiteral("Total\n(kW)")};

}  // namespace

int PlantShown::WarningCount() const {
  return static_cast<int>(Warnings.size() + (Figures ? Figures->Warnings.size() : 0));
}

PlantShown PlantShownOf(const SolventLibrary& library, const FieldTexts& fields, bool plantGiven,
                        const CaseResult& result, std::vector<std::string> airWarnings) {
  PlantShown shown;
  shown.Figures = result.Figures;
  shown.Warnings = std::move(airWarnings);
  shown.Warnings.insert(shown.Warnings.end(), result.SolventWarnings.begin(),
                        result.SolventWarnings.end());
  if (result.SolventsNamed(plantGiven)) {
    shown.Solvents = QString::fromStdString(SolventLines(library, fields));
  }
  return shown;
}

PlantPanel::PlantPanel(char decimalSeparator, QWidget* parent)
    : QWidget(parent), decimalSeparator_(decimalSeparator) {
  setObjectName(QStringLiteral("PlantPanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("PlantNote"));
  note_->setWordWrap(true);
  note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(note_);
  // The table above, whole in its width; the chart below takes the height that is left.
  auto* split = new QSplitter(Qt::Vertical);
  split->setObjectName(QStringLiteral("PlantSplitter"));
  split->setChildrenCollapsible(false);
  table_ = new QTableWidget(0, static_cast<int>(kHeaders.size()));
  table_->setObjectName(QStringLiteral("PlantZoneTable"));
  table_->setHorizontalHeaderLabels(kHeaders);
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setTabKeyNavigation(false);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setWordWrap(false);
  table_->setMinimumHeight(120);
  split->addWidget(table_);
  chart_ = new QChartView;
  chart_->setObjectName(QStringLiteral("PlantChart"));
  chart_->setRenderHint(QPainter::Antialiasing);
  chart_->setMinimumHeight(260);
  split->addWidget(chart_);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);
  layout->addWidget(split, 1);
}

QString PlantPanel::Number(double value, int decimals) const {
  return QString::fromStdString(FormatFixed(value, 18, decimals, decimalSeparator_));
}

void PlantPanel::ShowFigures(const std::optional<PlantFigures>& figures, const QString& solvents,
                             const std::vector<std::string>& warnings) {
  table_->setRowCount(0);
  hasContent_ = figures || !warnings.empty() || !solvents.isEmpty();
  warnings_ = static_cast<int>(warnings.size() + (figures ? figures->Warnings.size() : 0));
  if (!hasContent_) {
    note_->setText(
        QStringLiteral("The run shown has no plant figures: give the web width on "
                       "\"Solvents and Plant\" for each zone's LEL, exhaust air "
                       "and heat."));
    table_->hide();
    chart_->hide();
    Q_EMIT Changed();
    return;
  }
  QString note =
      solvents.trimmed().toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
  for (const std::string& warning : warnings) {
    note += QStringLiteral("<br><span style=\"color:#a00000\">%1</span>")
                .arg(QString::fromStdString(warning).toHtmlEscaped());
  }
  table_->setVisible(figures.has_value());
  chart_->setVisible(figures.has_value());
  if (!figures) {
    note_->setText(note + QStringLiteral("<br>Give the web width on \"Solvents and Plant\" for "
                                         "each zone's LEL, exhaust air and heat."));
    Q_EMIT Changed();
    return;
  }
  FillTable(*figures);
  if (figures->EnergyPerSolvent) {
    note += QStringLiteral("<br>%1 MJ per kg of solvent evaporated. ")
                .arg(Number(*figures->EnergyPerSolvent, 2));
  }
  note += QStringLiteral(
      "Qweb is what the air gives the web, its latent part included; Qair "
      "heats the make-up air. Casing losses and fan heat are not modelled.");
  for (const std::string& warning : figures->Warnings) {
    note += QStringLiteral("<br><span style=\"color:#a00000\">%1</span>")
                .arg(QString::fromStdString(warning).toHtmlEscaped());
  }
  note_->setText(note);
  QChart* previous = chart_->chart();  // the view releases it without deleting it
  chart_->setChart(plot::PlantChart(*figures).release());
  delete previous;
  Q_EMIT Changed();
}

void PlantPanel::FillTable(const PlantFigures& figures) {
  const int rows = static_cast<int>(figures.Zones.size());
  table_->setRowCount(rows + 1);
  const auto set = [this](int row, int column, const QString& text, bool alarm) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (alarm) item->setForeground(QColor(0xa0, 0x00, 0x00));
    table_->setItem(row, column, item);
  };
  const auto optional = [this](const std::optional<double>& value, int decimals) {
    return value ? Number(*value, decimals) : QStringLiteral("unknown");
  };
  for (int r = 0; r < rows; ++r) {
    const ZonePlant& z = figures.Zones[static_cast<std::size_t>(r)];
    const bool alarm = z.OverLimit();
    const QStringList cells{
        QString::number(z.Zone),
        Number(z.AirTemperature, 1),
        Number(z.Evaporated[0], 2),
        Number(z.Evaporated[1], 2),
        optional(z.LelPercent, 3),
        optional(z.Exhaust, 0) + (z.ExhaustSized ? QStringLiteral(" (sized)") : QString()),
        optional(z.PercentLel, 2),
        Number(z.LimitPercent, 0),
        optional(z.MinimumExhaust, 0),
        Number(z.WebHeat, 2),
        Number(z.LatentHeat, 2),
        optional(z.AirHeat, 2),
        optional(z.TotalHeat(), 2)};
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) set(r, c, cells[c], alarm);
  }
  set(rows, 0, QStringLiteral("All"), false);
  set(rows, 2, Number(figures.TotalSolvent, 2) + QStringLiteral(" both"), false);
  const QString partial = figures.Incomplete ? QStringLiteral(" (incomplete)") : QString();
  set(rows, 5, Number(figures.TotalExhaust, 0) + partial, false);
  set(rows, 12, Number(figures.TotalHeat, 2) + partial, false);
}

}  // namespace quillmere
