#include "correction/gui/correction_plot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace kestrel {

namespace {

constexpr double kLeft = 64, kRight = 12, kTop = 10, kBottom = 26;
constexpr double kMinimumSpan = 8;  // pixels the narrowest zoom shows

// Tick positions: steps of 1, 2 or 5 times a power of ten, about `count` of them.
std::vector<double> Ticks(double low, double high, int count) {
  const double raw = (high - low) / std::max(count, 1);
  if (!(raw > 0)) return {low};
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (double f : {1.0, 2.0, 5.0, 10.0})
    if (f * power >= raw) {
      step = f * power;
      break;
    }
  std::vector<double> out;
  for (double t = std::ceil(low / step) * step; t <= high + step * 1e-9; t += step)
    out.push_back(std::abs(t) < step * 1e-9 ? 0 : t);
  return out;
}

}  // namespace

CorrectionPlot::CorrectionPlot(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(360, 200);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CorrectionPlot::SetCurves(std::vector<Curve> curves) {
  const int before = Length();
  curves_ = std::move(curves);
  if (Length() != before) ShowWholeLine();
  update();
}

int CorrectionPlot::Length() const {
  size_t n = 0;
  for (const Curve& c : curves_)
    n = std::max(n, c.values.size());
  return static_cast<int>(n);
}

void CorrectionPlot::SetRange(double from, double to) {
  const double last = std::max(Length() - 1, 1);
  double span = std::clamp(to - from, std::min(kMinimumSpan, last), last);
  from_ = std::clamp(from, 0.0, last - span);
  to_ = from_ + span;
  update();
}

void CorrectionPlot::ShowWholeLine() {
  marked_ = -1;
  SetRange(0, std::max(Length() - 1, 1));
}

void CorrectionPlot::ShowPixel(int pixel) {
  marked_ = pixel;
  SetRange(pixel - 32, pixel + 32);
}

QRectF CorrectionPlot::PlotArea() const {
  return QRectF(kLeft, kTop, std::max(width() - kLeft - kRight, 1.0),
                std::max(height() - kTop - kBottom, 1.0));
}

int CorrectionPlot::PixelAt(double x) const {
  const QRectF area = PlotArea();
  if (x < area.left() || x > area.right() || Length() == 0) return -1;
  const double p = from_ + (x - area.left()) / area.width() * (to_ - from_);
  return std::clamp(static_cast<int>(std::lround(p)), 0, Length() - 1);
}

void CorrectionPlot::ValueRange(double& low, double& high) const {
  low = INFINITY;
  high = -INFINITY;
  const int first = std::max(0, static_cast<int>(std::floor(from_)));
  for (const Curve& c : curves_) {
    const int last =
        std::min(static_cast<int>(c.values.size()) - 1, static_cast<int>(std::ceil(to_)));
    for (int i = first; i <= last; ++i) {
      low = std::min(low, c.values[static_cast<size_t>(i)]);
      high = std::max(high, c.values[static_cast<size_t>(i)]);
    }
  }
  if (!std::isfinite(low)) low = 0, high = 1;
  const double margin = std::max((high - low) * 0.06, 0.5);
  low -= margin;
  high += margin;
}

void CorrectionPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QRectF area = PlotArea();
  double low = 0, high = 1;
  ValueRange(low, high);
  const double sx = area.width() / (to_ - from_);
  const double sy = area.height() / (high - low);
  auto X = [&](double pixel) { return area.left() + (pixel - from_) * sx; };
  auto Y = [&](double value) { return area.bottom() - (value - low) * sy; };

  // Grid and labels.
  const QColor grid = palette().mid().color();
  p.setPen(QPen(grid, 0, Qt::DotLine));
  const QFontMetrics fm = fontMetrics();
  for (double t : Ticks(from_, to_, std::max(2, static_cast<int>(area.width() / 90)))) {
    p.setPen(QPen(grid, 0, Qt::DotLine));
    p.drawLine(QPointF(X(t), area.top()), QPointF(X(t), area.bottom()));
    p.setPen(palette().text().color());
    const QString label = QString::number(t, 'g', 6);
    p.drawText(QPointF(X(t) - fm.horizontalAdvance(label) / 2.0, area.bottom() + fm.ascent() + 4),
               label);
  }
  for (double t : Ticks(low, high, std::max(2, static_cast<int>(area.height() / 50)))) {
    p.setPen(QPen(grid, 0, Qt::DotLine));
    p.drawLine(QPointF(area.left(), Y(t)), QPointF(area.right(), Y(t)));
    p.setPen(palette().text().color());
    const QString label = QString::number(t, 'g', 6);
    p.drawText(QPointF(area.left() - fm.horizontalAdvance(label) - 6, Y(t) + fm.ascent() / 2.0 - 1),
               label);
  }
  p.setPen(palette().text().color());
  p.drawRect(area);

  // The curves. Where several pixels share a screen column, the column shows
  // their whole spread (minimum to maximum), so no outlier drops out of sight.
  p.setClipRect(area.adjusted(0, 0, 1, 1));
  const int first = std::max(0, static_cast<int>(std::floor(from_)));
  QPolygonF line;
  for (const Curve& c : curves_) {
    const int last =
        std::min(static_cast<int>(c.values.size()) - 1, static_cast<int>(std::ceil(to_)));
    if (last < first) continue;
    line.clear();
    if ((last - first) > 2 * area.width()) {
      int column = -1;
      double cMin = 0, cMax = 0;
      for (int i = first; i <= last; ++i) {
        const double v = c.values[static_cast<size_t>(i)];
        const int col = static_cast<int>(X(i));
        if (col != column) {
          if (column >= 0) line << QPointF(column, Y(cMax)) << QPointF(column, Y(cMin));
          column = col;
          cMin = cMax = v;
        } else {
          cMin = std::min(cMin, v);
          cMax = std::max(cMax, v);
        }
      }
      line << QPointF(column, Y(cMax)) << QPointF(column, Y(cMin));
    } else {
      for (int i = first; i <= last; ++i)
        line << QPointF(X(i), Y(c.values[static_cast<size_t>(i)]));
    }
    p.setPen(QPen(c.color, 0));
    p.drawPolyline(line);
    p.setPen(QPen(c.color, 1.5));
    for (int m : c.marks)
      if (m >= first && m <= last)
        p.drawEllipse(QPointF(X(m), Y(c.values[static_cast<size_t>(m)])), 4, 4);
  }
  if (marked_ >= 0) {
    p.setPen(QPen(palette().highlight().color(), 0, Qt::DashLine));
    p.drawLine(QPointF(X(marked_), area.top()), QPointF(X(marked_), area.bottom()));
  }

  // Legend.
  p.setClipping(false);
  double lx = area.left() + 8;
  for (const Curve& c : curves_) {
    p.fillRect(QRectF(lx, area.top() + 6, 14, 3), c.color);
    p.setPen(palette().text().color());
    p.drawText(QPointF(lx + 18, area.top() + 6 + fm.ascent() / 2.0), c.name);
    lx += 30 + fm.horizontalAdvance(c.name);
  }
}

void CorrectionPlot::wheelEvent(QWheelEvent* e) {
  const int pixel = PixelAt(e->position().x());
  if (pixel < 0) return;
  const double factor = std::pow(0.8, e->angleDelta().y() / 120.0);
  const double span = (to_ - from_) * factor;
  const double share = (pixel - from_) / (to_ - from_);
  SetRange(pixel - share * span, pixel - share * span + span);
  e->accept();
}

void CorrectionPlot::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  dragging_ = true;
  dragX_ = e->position().x();
  dragFrom_ = from_;
}

void CorrectionPlot::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_) {
    const double shift = (dragX_ - e->position().x()) / PlotArea().width() * (to_ - from_);
    SetRange(dragFrom_ + shift, dragFrom_ + shift + (to_ - from_));
  }
  emit cursorMoved(PixelAt(e->position().x()));
}

void CorrectionPlot::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
}

void CorrectionPlot::mouseDoubleClickEvent(QMouseEvent*) {
  ShowWholeLine();
}

void CorrectionPlot::leaveEvent(QEvent*) {
  emit cursorMoved(-1);
}

}  // namespace kestrel
