// Image1: the side view of the coating line on the first page.
#pragma once

#include <QString>
#include <QWidget>

class QPainter;

namespace quillmere {

//! Size of the picture [px].
inline constexpr int kPictureWidth = 355;
inline constexpr int kPictureHeight = 132;

//! Paints the coating line into (0, 0, 355, 132): the web, a magenta coated layer on a blue
//! base film, runs left to right through a yellow dryer with grey rollers under the web and
//! orange hot gas blowing down onto it; dimension lines below mark zone 1 (up to the dryer
//! entry) and zone 2 (the dryer); labels name the dryer, the coated layer, the hot gas and
//! the base film. `family` is the font of the labels.
void PaintCoatingLine(QPainter& painter, const QString& family);

class CoatingLinePicture : public QWidget {
 public:
  CoatingLinePicture(const QString& family, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString family_;
};

}  // namespace quillmere
