#include "app/LivePreview.h"

#include <QLineEdit>

#include "analysis/CaseRun.h"
#include "analysis/RunComparison.h"
#include "analysis/plant/PlantReport.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
#include "app/CurvesWindow.h"
#include "app/LineEditFieldTexts.h"
#include "app/PlantPanel.h"
#include "base/Error.h"
#include "base/UserMessages.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "report/SolventLibrary.h"

namespace quillmere {
namespace {

//! What a refused run would have told: its first message, its detail and the field it
//! points at, kept instead of shown.
class Refusal : public UserMessages {
 public:
  void ShowMessage(std::string_view text) override { Keep(Message, text); }
  void ShowError(std::string_view text) override { Keep(Message, text); }
  void ShowFinish() override {}
  void ShowDetail(std::string_view text) override { Keep(Detail, text); }
  void PointAtField(std::string_view field) override { Keep(Field, field); }

  bool Refused() const { return !Message.empty(); }
  QString Reason() const {
    QString reason = QString::fromStdString(Message);
    if (!Detail.empty()) reason += QLatin1Char('\n') + QString::fromStdString(Detail);
    return reason;
  }

  std::string Message;
  std::string Detail;
  std::string Field;

 private:
  static void Keep(std::string& kept, std::string_view text) {
    if (kept.empty()) kept = text;
  }
};

//! The texts of every field, copied: the run reads them as they stand, and puts the
//! solvents' fixed constants into the copy, never into the window's fields.
MemoryFieldTexts CopyOf(const FieldTexts& fields, char decimalSeparator) {
  MemoryFieldTexts copy(decimalSeparator);
  for (const FieldSpec& field : AllFields()) copy.SetText(field.name, fields.Text(field.name));
  for (const PlantFieldSpec& field : PlantFields()) {
    copy.SetText(field.name, fields.Text(field.name));
  }
  return copy;
}

}  // namespace

LivePreview::LivePreview(LineEditFieldTexts& fields, char decimalSeparator,
                         const SolventLibrary& library, CurvesWindow& curves, QObject* parent)
    : QObject(parent),
      fields_(fields),
      decimalSeparator_(decimalSeparator),
      library_(library),
      curves_(curves),
      params_(std::make_unique<ParameterSet>()),
      state_(std::make_unique<SimulationState>()) {
  setObjectName(QStringLiteral("LivePreview"));
  pause_.setSingleShot(true);
  pause_.setInterval(kPauseMs);
  connect(&pause_, &QTimer::timeout, this, &LivePreview::RunNow);
  const auto watch = [this](std::string_view name) {
    QLineEdit* edit = fields_.Edit(name);
    if (edit == nullptr) return;
    connect(edit, &QLineEdit::textChanged, this, [this, edit] {
      lastEdited_ = edit;
      Schedule();
    });
  };
  for (const FieldSpec& field : AllFields()) watch(field.name);
  for (const PlantFieldSpec& field : PlantFields()) watch(field.name);
  connect(&curves_, &CurvesWindow::PreviewSwitched, this, [this](bool on) {
    Cancel();
    Unmark();
    if (on) RunNow();
  });
}

LivePreview::~LivePreview() = default;

bool LivePreview::Wanted() const {
  // Against a run OK'd, in a window the user has open.
  return curves_.PreviewOn() && curves_.HasRun() && curves_.isVisible();
}

void LivePreview::Schedule() {
  if (!Wanted()) return;
  pause_.start();
}

void LivePreview::RunNow() {
  pause_.stop();
  if (!Wanted()) return;
  MemoryFieldTexts fields = CopyOf(fields_, decimalSeparator_);
  // The case as OK runs it, without the result file: what it would tell is kept.
  Refusal refusal;
  std::optional<PlantInputs> plant;
  try {
    ApplySolventNames(library_, fields, decimalSeparator_);
    plant = AcquirePlantInputs(fields, decimalSeparator_);
  } catch (const Error& error) {
    refusal.ShowMessage(error.what());
    refusal.ShowDetail(error.Details());
  }
  CaseResult result;
  std::vector<std::string> airWarnings;
  if (!refusal.Refused()) {
    // The zones whose air follows from their exhaust, as OK sets them.
    if (plant) {
      airWarnings = ZoneAirFromExhaust(fields, decimalSeparator_, *plant,
                                       PlantSolventsOf(library_, fields), *params_, *state_)
                        .Warnings;
    }
    CaseRequest request = PlantCaseRequest(library_, fields, plant);
    request.Series = true;
    result = RunCase(fields, refusal, decimalSeparator_, *params_, *state_, request);
  }
  if (refusal.Refused() && !result.Marched()) {
    QLineEdit* field = refusal.Field.empty() ? nullptr : fields_.Edit(refusal.Field);
    Mark(field != nullptr ? field : lastEdited_.data(), refusal.Reason());
    curves_.EndPreview();
    Q_EMIT Drawn();
    return;
  }
  Unmark();
  PlantShown shown =
      PlantShownOf(library_, fields, plant.has_value(), result, std::move(airWarnings));
  curves_.ShowPreview(std::move(*result.Series), InputsOf(fields), std::move(shown));
  Q_EMIT Drawn();
}

void LivePreview::Mark(QLineEdit* edit, const QString& reason) {
  if (edit != marked_) Unmark();
  if (edit == nullptr) return;
  if (marked_ == nullptr) {
    markedStyle_ = edit->styleSheet();
    markedTip_ = edit->toolTip();
  }
  marked_ = edit;
  edit->setProperty("refused", true);
  edit->setStyleSheet(markedStyle_ + QStringLiteral("QLineEdit { border: 2px solid #c00000; }"));
  edit->setToolTip(reason);
}

void LivePreview::Unmark() {
  if (marked_ == nullptr) return;
  marked_->setProperty("refused", false);
  marked_->setStyleSheet(markedStyle_);
  marked_->setToolTip(markedTip_);
  marked_ = nullptr;
}

}  // namespace quillmere
