// FinishForm: the small dialog that reports the end of a calculation.
#pragma once

#include <QDialog>

#include "app/WindowLook.h"

class QPushButton;

namespace quillmere {

//! "Calculation is successfully finished !" with the version and its date, and an OK button.
//! Closing it by its close box (or Escape) counts as OK.
class TFinishForm : public QDialog {
  Q_OBJECT
 public:
  explicit TFinishForm(const WindowLook& look, QWidget* parent = nullptr);

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPushButton* BitBtn1;
};

}  // namespace quillmere
