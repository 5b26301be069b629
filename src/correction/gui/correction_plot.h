#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

namespace kestrel {

// Value against pixel for a few arrays of up to a few thousand pixels, drawn
// with QPainter. The wheel zooms the pixel axis around the pointer, a drag
// pans it, a double click shows the whole line again; the value axis follows
// the visible part. Outlier pixels carry a ring, one chosen pixel a line.
class CorrectionPlot : public QWidget {
  Q_OBJECT
 public:
  struct Curve {
    QString name;
    QColor color;
    std::vector<double> values;
    std::vector<int> marks;  // pixels to ring
  };

  explicit CorrectionPlot(QWidget* parent = nullptr);

  void SetCurves(std::vector<Curve> curves);
  const std::vector<Curve>& Curves() const { return curves_; }

  // The visible pixel range [from, to].
  double From() const { return from_; }
  double To() const { return to_; }
  void SetRange(double from, double to);
  void ShowWholeLine();
  // Centres the pixel in a narrow window and marks it.
  void ShowPixel(int pixel);
  int MarkedPixel() const { return marked_; }

  // The area the curves are drawn in, and the pixel under a point of it.
  QRectF PlotArea() const;
  int PixelAt(double x) const;

  QSize sizeHint() const override { return {720, 320}; }

 signals:
  // The pixel under the pointer, or -1 when the pointer left the curves.
  void cursorMoved(int pixel);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;

 private:
  int Length() const;
  void ValueRange(double& low, double& high) const;

  std::vector<Curve> curves_;
  double from_ = 0;
  double to_ = 1;
  int marked_ = -1;
  bool dragging_ = false;
  double dragX_ = 0;
  double dragFrom_ = 0;
};

}  // namespace kestrel
