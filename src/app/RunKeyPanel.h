// The key of the runs compared in the curves window, above the charts: each run's name with
// its line style, in as many rows as the names need.
#pragma once

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "plot/ChartKey.h"

namespace quillmere {

class RunKeyPanel : public QWidget {
 public:
  RunKeyPanel() {
    setObjectName(QStringLiteral("RunKey"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }
  void SetEntries(std::vector<plot::KeyEntry> entries) {
    entries_ = std::move(entries);
    setVisible(!entries_.empty());
    Fit();
    update();
  }
  const std::vector<plot::KeyEntry>& Entries() const { return entries_; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    Fit();
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    plot::DrawKey(painter, rect(), entries_);
  }

 private:
  void Fit() { setFixedHeight(plot::KeyHeight(entries_, std::max(width(), 200))); }

  std::vector<plot::KeyEntry> entries_;
};

}  // namespace quillmere
