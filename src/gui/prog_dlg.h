#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrel {

// The small window every long operation shows: one text, a 0..100 bar and a
// Cancel button. While it is open the top-level window it was opened over is
// disabled, so the user cannot start anything else; it enables that window
// again when it closes, but only if it was the one that disabled it. Cancel
// (or Escape) only asks: the operation looks between two commands and stops.
class CProgDlg : public QDialog {
  Q_OBJECT
 public:
  CProgDlg();
  ~CProgDlg() override;

  // Disables owner's top-level window (when enabled) and shows the window
  // over `over`'s window (the one the person started the operation from;
  // owner's where null), with no cancel asked for yet. owner may be null.
  // Returns whether the window is shown.
  bool ShowProgress(QWidget* owner, QWidget* over = nullptr);
  void SetMessage(const QString& text);
  void SetPercent(int percent);
  void CloseProgress();

  bool CancelRequested() const { return cancelRequested_; }
  QPushButton* CancelButton() const { return cancel_; }

  QString Message() const { return message_; }

 protected:
  void reject() override;  // Escape asks to cancel; only the operation closes it
  void closeEvent(QCloseEvent* e) override;

 private:
  void ReleaseOwner();

  QLabel* text_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  QString message_;
  bool cancelRequested_ = false;
  QPointer<QWidget> disabledOwner_;
  QPointer<QWidget> ownerFocus_;
  bool closing_ = false;

  void RequestCancel();
};

}  // namespace kestrel
