#include "app/PlantPanel.h"

#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QTableWidget>
#include <QVBoxLayout>

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

PlantPanel::PlantPanel(char decimalSeparator, QWidget* parent)
    : QDockWidget(QStringLiteral("Plant: LEL, exhaust air and heat by zone"), parent),
      decimalSeparator_(decimalSeparator) {
  setObjectName(QStringLiteral("PlantPanel"));
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
              QDockWidget::DockWidgetClosable);
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("PlantNote"));
  note_->setWordWrap(true);
  layout->addWidget(note_);
  auto* row = new QHBoxLayout;
  table_ = new QTableWidget(0, static_cast<int>(kHeaders.size()));
  table_->setObjectName(QStringLiteral("PlantZoneTable"));
  table_->setHorizontalHeaderLabels(kHeaders);
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setWordWrap(false);
  row->addWidget(table_, 3);
  chart_ = new QChartView;
  chart_->setObjectName(QStringLiteral("PlantChart"));
  chart_->setRenderHint(QPainter::Antialiasing);
  chart_->setMinimumSize(420, 280);
  row->addWidget(chart_, 2);
  layout->addLayout(row);
  setWidget(body);
}

QString PlantPanel::Number(double value, int decimals) const {
  return QString::fromStdString(FormatFixed(value, 18, decimals, decimalSeparator_));
}

void PlantPanel::ShowFigures(const std::optional<PlantFigures>& figures, const QString& solvents,
                             const std::vector<std::string>& warnings) {
  table_->setRowCount(0);
  if (!figures && warnings.empty() && solvents.isEmpty()) {
    hide();
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
    ShowWithRoom();
    return;
  }
  const int rows = static_cast<int>(figures->Zones.size());
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
    const ZonePlant& z = figures->Zones[static_cast<std::size_t>(r)];
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
  set(rows, 2, Number(figures->TotalSolvent, 2) + QStringLiteral(" both"), false);
  const QString partial = figures->Incomplete ? QStringLiteral(" (incomplete)") : QString();
  set(rows, 5, Number(figures->TotalExhaust, 0) + partial, false);
  set(rows, 12, Number(figures->TotalHeat, 2) + partial, false);

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
  ShowWithRoom();
}

void PlantPanel::ShowWithRoom() {
  const bool wasHidden = isHidden();
  show();
  // Shown afresh, the panel takes nearly half the window: the table and the chart need it.
  auto* window = qobject_cast<QMainWindow*>(parentWidget());
  if (wasHidden && window != nullptr) {
    window->resizeDocks({this}, {window->height() * 9 / 20}, Qt::Vertical);
  }
}

PlantPanel* AddPlantPanel(QMainWindow& window, char decimalSeparator) {
  auto* panel = new PlantPanel(decimalSeparator, &window);
  window.addDockWidget(Qt::BottomDockWidgetArea, panel);
  panel->hide();
  return panel;
}

}  // namespace quillmere
