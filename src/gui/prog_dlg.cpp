#include "gui/prog_dlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace kestrel {

CProgDlg::CProgDlg()
    // No parent: a child window would be disabled together with the owner it
    // disables. It stays above the owner through its transient parent, and
    // is not kept on top: an error box of the operation must come above it.
    // A frame with a title, but no close box: Cancel is the way out.
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      text_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(tr("Cancel"), this)) {
  setObjectName("progressWindow");
  setWindowTitle(tr("Working…"));
  setModal(false);
  text_->setObjectName("progressText");  // control 3029
  text_->setWordWrap(true);
  text_->setMinimumHeight(fontMetrics().lineSpacing() * 2);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  bar_->setObjectName("progressBar");  // control 3027
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 14, 14, 14);
  layout->setSpacing(10);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  cancel_->setObjectName("progressCancel");
  cancel_->setAutoDefault(false);
  connect(cancel_, &QPushButton::clicked, this, &CProgDlg::RequestCancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  setFixedWidth(330);
}

CProgDlg::~CProgDlg() {
  ReleaseOwner();
}

bool CProgDlg::ShowProgress(QWidget* owner, QWidget* over) {
  QWidget* top = owner ? owner->window() : nullptr;
  QWidget* place =
      over && over->window() != this && over->window()->isVisible() ? over->window() : top;
  if (top && top != this && top->isEnabled() && !disabledOwner_) {
    // Disabling a window drops its keyboard focus; give it back afterwards so
    // the user types on where they were.
    ownerFocus_ = top->focusWidget();
    top->setEnabled(false);
    disabledOwner_ = top;
  }
  // The previous text stays until the first SetMessage, as does the bar.
  text_->setText(message_);
  cancelRequested_ = false;
  cancel_->setEnabled(true);
  cancel_->setText(tr("Cancel"));
  if (top) {
    winId();
    if (QWindow* w = windowHandle()) w->setTransientParent(top->windowHandle());
    adjustSize();
    const QRect g = place->frameGeometry();
    move(g.center() - rect().center());
  }
  show();
  raise();
  return isVisible();
}

void CProgDlg::SetMessage(const QString& text) {
  message_ = text;
  text_->setText(message_);
  // The title says what is being done too, for the task bar.
  const QString title = text.section('\n', 0, 0).trimmed();
  setWindowTitle(title.isEmpty() ? tr("Working…") : title);
}

void CProgDlg::SetPercent(int percent) {
  bar_->setValue(std::clamp(percent, 0, 100));
  // Long operations run on this thread: paint now rather than at the next
  // event-loop turn.
  if (isVisible()) repaint();
}

void CProgDlg::CloseProgress() {
  closing_ = true;
  hide();
  closing_ = false;
  ReleaseOwner();
}

void CProgDlg::reject() {
  RequestCancel();
}

void CProgDlg::RequestCancel() {
  cancelRequested_ = true;
  // The command on the line is finished first; say so until it is.
  cancel_->setEnabled(false);
  cancel_->setText(tr("Stopping…"));
}

void CProgDlg::closeEvent(QCloseEvent* e) {
  // Only the operation that opened the window closes it.
  if (!closing_) e->ignore();
}

void CProgDlg::ReleaseOwner() {
  if (disabledOwner_) {
    disabledOwner_->setEnabled(true);
    if (ownerFocus_ && ownerFocus_->window() == disabledOwner_)
      ownerFocus_->setFocus(Qt::OtherFocusReason);
  }
  disabledOwner_ = nullptr;
  ownerFocus_ = nullptr;
}

}  // namespace kestrel
