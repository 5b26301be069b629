#include "gui/link_indicator.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace kestrel {

LinkIndicator::LinkIndicator(uint32_t id, QWidget* parent) : QWidget(parent), id_(id) {
  setObjectName(QString("ctl%1").arg(id));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAccessibleName("Link state");
}

void LinkIndicator::SetState(int online) {
  online = online == 1 ? 1 : 0;
  if (online == online_) return;
  online_ = online;
  setAccessibleDescription(online_ ? "Online" : "Offline");
  update();
}

void LinkIndicator::SetDetail(const QString& detail) {
  detail_ = detail;
  update();
}

void LinkIndicator::SetNote(const QString& note) {
  note_ = note;
  setToolTip(note);
  update();
}

QColor LinkStateColour(bool online, const QPalette& palette) {
  const bool dark = palette.color(QPalette::Window).lightness() < 128;
  if (online) return dark ? QColor(0x7d, 0xdc, 0x8f) : QColor(0x1a, 0x6f, 0x2e);
  return dark ? QColor(0xff, 0x9a, 0x8f) : QColor(0xa8, 0x24, 0x1c);
}

QSize LinkIndicator::sizeHint() const {
  return {200, fontMetrics().height() + 10};
}

void LinkIndicator::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  // Only the lamp has a fixed colour; the strip itself is a tint of the
  // window's own colour, so its words read on any palette.
  const QColor lamp = online_ ? QColor(0x2e, 0xa0, 0x43) : QColor(0xd0, 0x31, 0x2d);
  const QColor window = palette().color(QPalette::Window);
  QColor back = window;
  const qreal tint = 0.12;
  back.setRgbF(window.redF() + (lamp.redF() - window.redF()) * tint,
               window.greenF() + (lamp.greenF() - window.greenF()) * tint,
               window.blueF() + (lamp.blueF() - window.blueF()) * tint);

  QPainterPath frame;
  frame.addRoundedRect(r, 3, 3);
  p.fillPath(frame, back);
  p.setPen(QPen(lamp, 1));
  p.drawPath(frame);

  const qreal d = r.height() - 8;
  const QRectF dot(r.left() + 8, r.top() + 4, d, d);
  p.setPen(Qt::NoPen);
  p.setBrush(lamp);
  p.drawEllipse(dot);

  p.setPen(palette().color(QPalette::WindowText));
  QFont f = font();
  f.setBold(true);
  p.setFont(f);
  const QString state = online_ ? tr("Online") : tr("Offline");
  QRectF textRect(dot.right() + 8, r.top(), r.width() - dot.right() - 16, r.height());
  p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, state);
  p.setFont(font());
  qreal right = textRect.right();
  if (!detail_.isEmpty()) {
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignRight, detail_);
    right -= fontMetrics().horizontalAdvance(detail_) + 16;
  }
  if (!note_.isEmpty()) {
    const qreal left = textRect.left() + QFontMetrics(f).horizontalAdvance(state) + 16;
    const QRectF noteRect(left, r.top(), std::max<qreal>(0, right - left), r.height());
    p.drawText(noteRect, Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(note_, Qt::ElideRight, int(noteRect.width())));
  }
}

}  // namespace kestrel
