#include "gui/tool_window.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include "gui/window_placement.h"

namespace kestrel {

namespace {

void PlaceBeside(QWidget* panel, QWidget* tool) {
  // The tool's size is known only once its layout has run: a window shown for
  // the first time gets its size at show(), after this placement.
  if (!tool->testAttribute(Qt::WA_Resized)) tool->adjustSize();
  // Its frame is not known before it shows either; the panel's is the best guess.
  const QRect frame = panel->frameGeometry();
  const QSize border = frame.size() - panel->size();
  QRect want(QPoint(frame.right() + 8, frame.top()), tool->size() + border);
  if (QScreen* screen = panel->screen()) want = FitInto(want, screen->availableGeometry());
  tool->resize(want.size() - border);
  tool->move(want.topLeft());
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
