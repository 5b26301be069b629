#include "gui/link_lamp.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "gui/qt_user_interface.h"

namespace kestrel {

LinkLamp::LinkLamp(uint32_t id, QWidget* parent, Look look)
    : QWidget(parent), id_(id), look_(look) {
  setObjectName(look == Look::Dot ? QString("linkLamp") : QString("ctl%1").arg(id));
  if (look == Look::Dot)
    setFixedSize(12, 12);
  else
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAccessibleName(tr("Link state"));
  SetState(0);
}

void LinkLamp::Follow(QtUserInterface& ui) {
  connect(&ui, &QtUserInterface::linkStateChanged, this, &LinkLamp::SetState);
  SetState(ui.LinkState());
}

void LinkLamp::SetState(int online) {
  online = online == 1 ? 1 : 0;
  if (online == online_) return;
  online_ = online;
  const QString word = online_ ? tr("Online") : tr("Offline");
  setAccessibleDescription(word);
  if (look_ == Look::Dot) setToolTip(word);
  update();
}

void LinkLamp::SetDetail(const QString& detail, const QString& more) {
  detail_ = detail;
  more_ = more;
  UpdateToolTip();
  update();
}

void LinkLamp::SetNote(const QString& note) {
  note_ = note;
  UpdateToolTip();
  update();
}

void LinkLamp::UpdateToolTip() {
  if (look_ != Look::Bar) return;
  setToolTip(note_.isEmpty() || more_.isEmpty() ? note_ + more_ : note_ + "\n\n" + more_);
}

void LinkLamp::SetProblem(const QString& problem) {
  problem_ = problem;
  setAccessibleDescription(problem_.isEmpty() ? (online_ ? tr("Online") : tr("Offline"))
                                              : problem_);
  update();
}

void LinkLamp::SetMode(const QString& mode) {
  mode_ = mode;
  update();
}

QColor LinkStateColour(bool online, const QPalette& palette) {
  const bool dark = palette.color(QPalette::Window).lightness() < 128;
  if (online) return dark ? QColor(0x7d, 0xdc, 0x8f) : QColor(0x1a, 0x6f, 0x2e);
  return dark ? QColor(0xff, 0x9a, 0x8f) : QColor(0xa8, 0x24, 0x1c);
}

QSize LinkLamp::sizeHint() const {
  if (look_ == Look::Dot) return {12, 12};
  return {200, fontMetrics().height() + 10};
}

QColor LinkLamp::Lamp() const {
  return online_ == 1 && problem_.isEmpty() ? QColor(0x2e, 0xa0, 0x43) : QColor(0xd0, 0x31, 0x2d);
}

void LinkLamp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  if (look_ == Look::Dot) {
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Lamp());
    p.drawEllipse(QRectF(1, 1, 10, 10));
    return;
  }
  PaintBar(p);
}

void LinkLamp::PaintBar(QPainter& p) {
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  // Only the lamp has a fixed colour; the strip itself is a tint of the
  // window's own colour, so its words read on any palette.
  const QColor lamp = Lamp();
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
  QString state = online_ != 1 ? tr("Offline") : problem_.isEmpty() ? tr("Online") : problem_;
  if (!mode_.isEmpty()) state += QString::fromUtf8("  \u00b7  ") + mode_;
  QRectF textRect(dot.right() + 8, r.top(), r.width() - dot.right() - 16, r.height());
  p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, state);
  p.setFont(font());
  qreal right = textRect.right();
  if (!detail_.isEmpty()) {
    // At most half the bar, so the state and a note keep their room.
    const QString detail =
        fontMetrics().elidedText(detail_, Qt::ElideRight, int(textRect.width() / 2));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignRight, detail);
    right -= fontMetrics().horizontalAdvance(detail) + 16;
  }
  if (!note_.isEmpty()) {
    const qreal left = textRect.left() + QFontMetrics(f).horizontalAdvance(state) + 16;
    const QRectF noteRect(left, r.top(), std::max<qreal>(0, right - left), r.height());
    p.drawText(noteRect, Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(note_, Qt::ElideRight, int(noteRect.width())));
  }
}

}  // namespace kestrel
