#include "gui/tool_window.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace kestrel {

namespace {

void PlaceBeside(QWidget* panel, QWidget* tool) {
  const QRect frame = panel->frameGeometry();
  QPoint at(frame.right() + 8, frame.top());
  if (QScreen* screen = panel->screen()) {
    const QRect avail = screen->availableGeometry();
    if (at.x() + tool->width() > avail.right())
      at.setX(std::max(avail.left(), avail.right() - tool->width()));
  }
  tool->move(at);
}

class ShowWithPanel : public QObject {
 public:
  ShowWithPanel(QWidget* panel, QWidget* tool) : QObject(panel), panel_(panel), tool_(tool) {
    panel->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == panel_ && e->type() == QEvent::Show) {
      panel_->removeEventFilter(this);
      if (tool_) ShowTool(panel_, tool_);
      deleteLater();
    }
    return false;
  }

 private:
  QWidget* panel_;
  QPointer<QWidget> tool_;
};

}  // namespace

void ShowTool(QWidget* panel, QWidget* tool) {
  if (!tool->property("placed").toBool()) {
    PlaceBeside(panel, tool);
    tool->setProperty("placed", true);
  }
  tool->show();
  tool->raise();
  tool->activateWindow();
}

void ShowToolWithPanel(QWidget* panel, QWidget* tool) {
  if (panel->isVisible())
    ShowTool(panel, tool);
  else
    new ShowWithPanel(panel, tool);
}

}  // namespace kestrel
