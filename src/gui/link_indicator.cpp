#include "gui/link_indicator.h"

#include <QPainter>
#include <QPainterPath>

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

QSize LinkIndicator::sizeHint() const {
  return {200, fontMetrics().height() + 10};
}

void LinkIndicator::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const QColor lamp = online_ ? QColor(0x2e, 0xa0, 0x43) : QColor(0xc6, 0x3b, 0x32);
  const QColor back = online_ ? QColor(0xe9, 0xf6, 0xec) : QColor(0xfb, 0xec, 0xea);

  QPainterPath frame;
  frame.addRoundedRect(r, 3, 3);
  p.fillPath(frame, back);
  p.setPen(QPen(lamp.darker(115), 1));
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
  const QRectF textRect(dot.right() + 8, r.top(), r.width() - dot.right() - 16, r.height());
  p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, state);
  if (!detail_.isEmpty()) {
    p.setFont(font());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignRight, detail_);
  }
}

}  // namespace kestrel
