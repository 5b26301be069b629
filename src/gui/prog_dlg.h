#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;

namespace kestrel {

// The small window every long operation shows: one text and a 0..100 bar.
// While it is open the top-level window it was opened over is disabled, so the
// user cannot start anything else; it enables that window again when it
// closes, but only if it was the one that disabled it.
class CProgDlg : public QDialog {
  Q_OBJECT
 public:
  CProgDlg();
  ~CProgDlg() override;

  // Disables owner's top-level window (when enabled) and shows the window
  // over it. owner may be null. Returns whether the window is shown.
  bool ShowProgress(QWidget* owner);
  void SetMessage(const QString& text);
  void SetPercent(int percent);
  void CloseProgress();

  QString Message() const { return message_; }
  int Percent() const;
  QWidget* DisabledOwner() const { return disabledOwner_; }

 protected:
  void reject() override;  // Escape does not close it: the operation owns it
  void closeEvent(QCloseEvent* e) override;

 private:
  void ReleaseOwner();

  QLabel* text_;
  QProgressBar* bar_;
  QString message_;
  QPointer<QWidget> disabledOwner_;
  QPointer<QWidget> ownerFocus_;
  bool closing_ = false;
};

}  // namespace kestrel
