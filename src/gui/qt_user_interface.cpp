#include "gui/qt_user_interface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "gui/gen.h"
#include "gui/prog_dlg.h"
#include "gui/translation.h"

namespace kestrel {

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::Warning:
      return QMessageBox::Warning;
    case MsgIcon::Stop:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return QMessageBox::Ok;
    case MsgButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

}  // namespace

QtUserInterface::QtUserInterface() = default;
QtUserInterface::~QtUserInterface() {
  while (busyDepth_ > 0)
    EndBusy();
}

void QtUserInterface::SetOwner(QWidget* owner) {
  owner_ = owner;
}

CProgDlg& QtUserInterface::Progress() {
  if (!progress_) progress_ = std::make_unique<CProgDlg>();
  return *progress_;
}

MsgAnswer QtUserInterface::Report(const std::string& text, MsgIcon icon, MsgButtons buttons,
                                  const std::string& caption) {
  // The core's texts are English; the person reads them in their language.
  const QString title = Translated(caption.empty() ? kDefaultCaption : caption);
  const QString shown = Translated(text);
  if (responder_) return responder_(shown.toStdString(), icon, buttons, title.toStdString());

  QMessageBox box(ToQtIcon(icon), title, shown, ToQtButtons(buttons),
                  owner_ ? owner_->window() : nullptr);
  if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel)
    box.setDefaultButton(QMessageBox::Yes);
  // A box must show the normal arrow even while a long operation holds the
  // wait cursor.
  const bool busy = busyDepth_ > 0;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int r = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  switch (r) {
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    case QMessageBox::Cancel:
      return MsgAnswer::Cancel;
    default:
      break;
  }
  // Escape on a Yes/No box comes back as the escape button (No).
  if (buttons == MsgButtons::YesNo) return MsgAnswer::No;
  return MsgAnswer::Ok;
}

void QtUserInterface::AppendLog(const std::string& line) {
  emit logLine(Translated(line));
}

void QtUserInterface::AddMessage(const std::string& line) {
  emit messageLine(Translated(line));
}

void QtUserInterface::SetLinkState(int online) {
  online = online == 1 ? 1 : 0;
  const bool changed = online != linkState_;
  linkState_ = online;
  // Indicators only repaint on a real change; transactions report the state
  // after every reply.
  if (changed) emit linkStateChanged(online);
}

void QtUserInterface::BeginBusy() {
  if (busyDepth_++ == 0 && qApp) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUserInterface::EndBusy() {
  if (busyDepth_ == 0) return;
  if (--busyDepth_ == 0 && qApp) QApplication::restoreOverrideCursor();
}

void QtUserInterface::ShowProgress() {
  // Over the window the person started the operation from.
  Progress().ShowProgress(owner_, QApplication::activeWindow());
}
void QtUserInterface::SetProgressMessage(const std::string& text) {
  Progress().SetMessage(Translated(text));
}
void QtUserInterface::SetProgressPercent(int percent) {
  Progress().SetPercent(percent);
}
void QtUserInterface::CloseProgress() {
  if (progress_) progress_->CloseProgress();
}
bool QtUserInterface::CancelRequested() {
  return progress_ && progress_->isVisible() && progress_->CancelRequested();
}
void QtUserInterface::PumpOneMessage() {
  const bool progressOpen = progress_ && progress_->isVisible();
  gen::PumpOneMessage(progressOpen ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

bool QtUserInterface::ConfirmFlashWrite(const QString& what) {
  const QString text =
      what + "\n\n" + tr("The camera keeps this after power-off; what it held before is lost.");
  if (responder_)
    return responder_(text.toStdString(), MsgIcon::Question, MsgButtons::OkCancel, kFlashCaption) ==
           MsgAnswer::Ok;
  QMessageBox box(QMessageBox::Question, tr(kFlashCaption), text, QMessageBox::Cancel,
                  owner_ ? owner_->window() : nullptr);
  QPushButton* write = box.addButton(tr("Write"), QMessageBox::AcceptRole);
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  const bool busy = busyDepth_ > 0;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  return box.clickedButton() == write;
}

void QtUserInterface::Show(const Failure& failure) {
  if (!failure || (failure.kind == FailureKind::Cancelled && failure.text.empty())) return;
  Report(failure.text, failure.icon, MsgButtons::Ok, failure.caption);
}

}  // namespace kestrel
