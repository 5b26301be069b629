#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "service/comm_log.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QGroupBox;
class QLabel;

namespace kestrel {

class CCamCmd;
class QtUserInterface;
class LinkLamp;

// "RS-232C TERMINAL": the communication log of the whole program and a hand
// console for raw command lines. Created once at start-up and kept; "Close" and
// Esc only hide it, and the log keeps filling while it is hidden.
class CRsTermDlg : public QDialog {
  Q_OBJECT
 public:
  // Takes the start tick and fills the text fields from the settings.
  CRsTermDlg(CCamCmd& cmd, QtUserInterface& ui, QWidget* parent = nullptr);
  // Hands the text fields back to the settings.
  ~CRsTermDlg() override;

  // One line of the log, time-stamped, at the top.
  void AppendLog(const QString& text);
  CommLog& Log() { return log_; }
  QListWidget* LogList() const { return list_; }
  void SetLinkState(int online);
  int LinkState() const;

  // The memory write and dump section. It is created hidden and disabled; the
  // panel shows it while the program runs in FACTORY mode.
  void SetMemorySectionVisible(bool visible);
  bool MemorySectionVisible() const;

  // Copies the five text fields into the settings.
  void SaveFields();

  // The actions of the buttons.
  void Send();
  void ClearLog();
  void WriteMemory();
  void DumpMemory();
  void DumpToFile();

 protected:
  void resizeEvent(QResizeEvent* e) override;
  // The correction-data routines.
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void reject() override;

 private:
  void PlaceControls();
  // The command field's history: Up goes back, Down forward to an empty field.
  void StepHistory(int step);
  void MakeDefault(QPushButton* button);

  CCamCmd& cmd_;
  QtUserInterface& ui_;
  CommLog log_;

  QLineEdit* cmdEdit_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* send_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* close_ = nullptr;
  QGroupBox* writeGroup_ = nullptr;
  QLabel* writeAddrLabel_ = nullptr;
  QLineEdit* writeAddr_ = nullptr;
  QLabel* writeDataLabel_ = nullptr;
  QLineEdit* writeData_ = nullptr;
  QPushButton* writeGo_ = nullptr;
  QGroupBox* dumpGroup_ = nullptr;
  QLabel* dumpAddrLabel_ = nullptr;
  QLineEdit* dumpAddr_ = nullptr;
  QLabel* dumpSizeLabel_ = nullptr;
  QLineEdit* dumpSize_ = nullptr;
  QPushButton* dumpGo_ = nullptr;
  QPushButton* saveFile_ = nullptr;
  LinkLamp* strip_ = nullptr;
  QStringList history_;  // the command lines sent, the oldest first
  int historyPos_ = 0;
};

}  // namespace kestrel
