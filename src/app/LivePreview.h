// Live what-if: as the user types in any field, the curves follow. A short pause after the
// last edit, the case the fields hold as they stand runs as the command line's cases run
// (no result file, no message box), and the curves window draws it against the run OK'd
// last, with its zones, warnings and plant page. A field that does not read is framed in
// red at the field, with the reason as its tooltip.
#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "params/ParameterSet.h"
#include "sim/SimulationState.h"

class QLineEdit;

namespace quillmere {

class CurvesWindow;
class LineEditFieldTexts;
class SolventLibrary;

class LivePreview : public QObject {
  Q_OBJECT
 public:
  //! The pause after the last edit before the preview runs [ms].
  static constexpr int kPauseMs = 150;

  //! Watches every field of `fields`; `library` and `curves` must outlive the preview.
  LivePreview(LineEditFieldTexts& fields, char decimalSeparator, const SolventLibrary& library,
              CurvesWindow& curves, QObject* parent = nullptr);
  ~LivePreview() override;

  //! (Re)starts the pause: the preview runs when it ends without a further edit.
  void Schedule();
  //! Forgets a pending preview (OK has just run the fields).
  void Cancel() { pause_.stop(); }
  bool Pending() const { return pause_.isActive(); }

  //! Runs the fields as they stand and draws them (what the pause's end does).
  void RunNow();

  //! The field framed as not reading, or nullptr.
  QLineEdit* MarkedField() const { return marked_; }

 Q_SIGNALS:
  //! A preview was drawn, or ended because the fields did not read.
  void Drawn();

 private:
  bool Wanted() const;
  void Mark(QLineEdit* edit, const QString& reason);
  void Unmark();

  LineEditFieldTexts& fields_;
  char decimalSeparator_;
  const SolventLibrary& library_;
  CurvesWindow& curves_;
  QTimer pause_;
  QPointer<QLineEdit> lastEdited_;
  QPointer<QLineEdit> marked_;
  QString markedStyle_;  //!< the marked field's own style sheet and tooltip, given back
  QString markedTip_;
  // The preview's own run: the OK button's parameter set and state stay as the last run
  // left them.
  std::unique_ptr<ParameterSet> params_;
  std::unique_ptr<SimulationState> state_;
};

}  // namespace quillmere
