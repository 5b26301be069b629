#include "gui/tool_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QVariant>
#include <QWidget>

#include "gui/link_lamp.h"
#include "gui/qt_user_interface.h"
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

ToolWindow::ToolWindow(const QString& title, QtUserInterface& ui, QWidget* parent)
    : QDialog(parent), ui_(ui), body_(new QVBoxLayout(this)) {
  setWindowTitle(title);
}

void ToolWindow::FinishLayout(std::initializer_list<QPushButton*> buttons, bool closeRow) {
  if (closeRow) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
      row->addWidget(b);
    close_ = new QPushButton(tr("Close"));
    row->addWidget(close_);
    body_->addLayout(row);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  }
  auto* strip = new LinkLamp(0, this);
  strip->Follow(ui_);
  body_->addWidget(strip);
  for (QPushButton* b : findChildren<QPushButton*>())
    b->setAutoDefault(false);
  body_->setSizeConstraint(QLayout::SetFixedSize);
}

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
