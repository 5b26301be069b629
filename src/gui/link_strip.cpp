#include "gui/link_strip.h"

#include <QPainter>

namespace kestrel {

LinkStrip::LinkStrip(QWidget* parent) : QWidget(parent) {
  setFixedSize(293, 4);
  setAccessibleName("Link state");
}

void LinkStrip::SetState(int online) {
  online = online == 1 ? 1 : 0;
  if (online == online_) return;
  online_ = online;
  setAccessibleDescription(online_ ? "Online" : "Offline");
  update();
}

void LinkStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), online_ ? QColor(0, 128, 0) : QColor(255, 0, 0));
}

}  // namespace kestrel
