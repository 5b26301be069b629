#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "base/failure.h"
#include "base/user_interface.h"

namespace kestrel {

class CProgDlg;

// The core's way to the user, on widgets. Message boxes are real modal
// QMessageBoxes; the log, the message list and the link state go out as
// signals, so the terminal, the communication dialog and every status
// indicator connect themselves when they exist.
class QtUserInterface : public QObject, public UserInterface, public Reporter {
  Q_OBJECT
 public:
  static constexpr const char* kDefaultCaption = "HX-9302 Kestrel";

  QtUserInterface();
  ~QtUserInterface() override;

  // The window that message boxes and the progress window belong to.
  void SetOwner(QWidget* owner);
  QWidget* Owner() const { return owner_; }

  MsgAnswer Report(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
                   const std::string& caption = {}) override;
  // The message of a failure: its text under its caption, with its icon. A
  // cancel says how far the operation got; one without a text (the person
  // declined to start) is not reported back to them.
  void Show(const Failure& failure);
  // Asks before a write into the camera's non-volatile memory; `what` names
  // what will be overwritten. Cancel is the default button, so Enter or
  // Escape writes nothing; true only for "Write". Responders see it as an
  // OK/Cancel question captioned kFlashCaption.
  bool ConfirmFlashWrite(const QString& what);
  static constexpr const char* kFlashCaption = "Write to the camera's memory";
  void AppendLog(const std::string& line) override;
  void AddMessage(const std::string& line) override;
  void SetLinkState(int online) override;
  void BeginBusy() override;
  void EndBusy() override;
  void ShowProgress() override;
  void SetProgressMessage(const std::string& text) override;
  void SetProgressPercent(int percent) override;
  void CloseProgress() override;
  bool CancelRequested() override;
  // Between commands and while a reply is awaited: windows repaint and
  // timers run. The person's input reaches the program only while the
  // progress window is open (its Cancel button; the window that started the
  // operation is disabled then); otherwise it waits for the exchange's end,
  // so no control changes while its value is on the way to the camera.
  void PumpOneMessage() override;

  int LinkState() const { return linkState_; }
  CProgDlg& Progress();

  // Tests and batch runs (the screenshot) answer message boxes without a
  // person: when set, it is asked instead of showing a box.
  using Responder = std::function<MsgAnswer(const std::string& text, MsgIcon icon,
                                            MsgButtons buttons, const std::string& caption)>;
  void SetResponder(Responder r) { responder_ = std::move(r); }

 signals:
  void logLine(const QString& line);
  void messageLine(const QString& line);
  void linkStateChanged(int online);

 private:
  QPointer<QWidget> owner_;
  std::unique_ptr<CProgDlg> progress_;
  Responder responder_;
  int linkState_ = 0;
  int busyDepth_ = 0;
};

}  // namespace kestrel
