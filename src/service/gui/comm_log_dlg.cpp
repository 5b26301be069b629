#include "service/gui/comm_log_dlg.h"

#include <QKeyEvent>

#include "service/gui/terminal_routines_dlg.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>

#include "base/file_messages.h"
#include "base/settings.h"
#include "base/text_file.h"
#include "gui/file_dialog.h"
#include "gui/link_lamp.h"
#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"
#include "service/memory_dump.h"

namespace kestrel {

namespace {

constexpr int kInitialWidth = 560;
constexpr int kInitialHeight = 380;
// Below this the memory column would run into the log.
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 360;

QLineEdit* MakeField(QWidget* parent, const std::string& text, const char* name) {
  auto* e = new QLineEdit(QString::fromStdString(text), parent);
  e->setObjectName(name);
  return e;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, const char* name) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  // Only the focus rule below moves the default; a button that takes the
  // focus must not become the default by itself.
  b->setAutoDefault(false);
  return b;
}

void Place(QWidget* w, int left, int top, int right, int bottom) {
  w->setGeometry(left, top, right - left, bottom - top);
}

}  // namespace

CRsTermDlg::CRsTermDlg(CCamCmd& cmd, QtUserInterface& ui, QWidget* parent)
    : QDialog(parent), cmd_(cmd), ui_(ui) {
  setObjectName("rsTermDlg");
  setWindowTitle(tr("RS-232C TERMINAL"));
  setSizeGripEnabled(true);
  setMinimumSize(kMinWidth, kMinHeight);

  const Settings& s = cmd_.Config();
  cmdEdit_ = MakeField(this, s.cmd, "cmdEdit");
  list_ = new QListWidget(this);
  list_->setObjectName("logList");
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setFocusPolicy(Qt::NoFocus);
  QFont mono("Monospace");
  mono.setStyleHint(QFont::TypeWriter);
  list_->setFont(mono);
  send_ = MakeButton(this, tr("Send"), "sendButton");
  clear_ = MakeButton(this, tr("Clear"), "clearButton");
  close_ = MakeButton(this, tr("Close"), "closeButton");

  // The memory section: group frames first, so the controls drawn over them
  // stay on top.
  writeGroup_ = new QGroupBox(tr("Write Mem."), this);
  writeGroup_->setObjectName("writeMemGroup");
  dumpGroup_ = new QGroupBox(tr("Dump Mem."), this);
  dumpGroup_->setObjectName("dumpMemGroup");
  writeAddrLabel_ = new QLabel(tr("Addr(hex)"), this);
  writeAddr_ = MakeField(this, s.wrtMemAddr, "wrtMemAddr");
  writeDataLabel_ = new QLabel(tr("Data(hex)"), this);
  writeData_ = MakeField(this, s.wrtMemData, "wrtMemData");
  writeGo_ = MakeButton(this, tr("Go"), "writeGoButton");
  dumpAddrLabel_ = new QLabel(tr("Addr(hex)"), this);
  dumpAddr_ = MakeField(this, s.dumpMemAddr, "dumpMemAddr");
  dumpSizeLabel_ = new QLabel(tr("Size(hex)"), this);
  dumpSize_ = MakeField(this, s.dumpMemSize, "dumpMemSize");
  dumpGo_ = MakeButton(this, tr("Go"), "dumpGoButton");
  saveFile_ = MakeButton(this, tr("Save File"), "saveFileButton");
  // The memory column is 56 pixels wide; a slightly smaller face keeps its
  // captions whole.
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  for (QWidget* w : std::initializer_list<QWidget*>{
           writeGroup_, writeAddrLabel_, writeAddr_, writeDataLabel_, writeData_, writeGo_,
           dumpGroup_, dumpAddrLabel_, dumpAddr_, dumpSizeLabel_, dumpSize_, dumpGo_, saveFile_})
    w->setFont(small);

  strip_ = new LinkLamp(0, this);
  strip_->setObjectName("linkStrip");
  strip_->SetState(ui_.LinkState());

  connect(send_, &QPushButton::clicked, this, &CRsTermDlg::Send);
  connect(clear_, &QPushButton::clicked, this, &CRsTermDlg::ClearLog);
  connect(close_, &QPushButton::clicked, this, &QWidget::hide);
  connect(writeGo_, &QPushButton::clicked, this, &CRsTermDlg::WriteMemory);
  connect(dumpGo_, &QPushButton::clicked, this, &CRsTermDlg::DumpMemory);
  connect(saveFile_, &QPushButton::clicked, this, &CRsTermDlg::DumpToFile);
  for (QLineEdit* e : {cmdEdit_, writeAddr_, writeData_, dumpAddr_, dumpSize_})
    e->installEventFilter(this);

  connect(&ui_, &QtUserInterface::logLine, this, &CRsTermDlg::AppendLog);
  connect(&ui_, &QtUserInterface::linkStateChanged, this, &CRsTermDlg::SetLinkState);

  SetMemorySectionVisible(false);
  MakeDefault(send_);
  resize(kInitialWidth, kInitialHeight);
  PlaceControls();
  log_.Start();
}

CRsTermDlg::~CRsTermDlg() {
  SaveFields();
}

void CRsTermDlg::SaveFields() {
  Settings& s = cmd_.Config();
  s.cmd = cmdEdit_->text().toStdString();
  s.wrtMemAddr = writeAddr_->text().toStdString();
  s.wrtMemData = writeData_->text().toStdString();
  s.dumpMemAddr = dumpAddr_->text().toStdString();
  s.dumpMemSize = dumpSize_->text().toStdString();
}

void CRsTermDlg::AppendLog(const QString& text) {
  log_.AppendLog(text.toStdString());
  // The list mirrors the log line for line: one insert at the top, and the
  // oldest row goes when the log dropped its oldest line.
  list_->insertItem(0, QString::fromStdString(log_.Lines().front()));
  while (list_->count() > static_cast<int>(log_.Lines().size()))
    delete list_->takeItem(list_->count() - 1);
  // Progress lines of long operations that hold the user-interface thread
  // (the dump to file) must show at once, not after the operation.
  if (isVisible() && !text.startsWith("Tx: ") && !text.startsWith("Rx: ")) list_->repaint();
}

void CRsTermDlg::SetLinkState(int online) {
  strip_->SetState(online);
}

int CRsTermDlg::LinkState() const {
  return strip_->State();
}

void CRsTermDlg::SetMemorySectionVisible(bool visible) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           writeGroup_, writeAddrLabel_, writeAddr_, writeDataLabel_, writeData_, writeGo_,
           dumpGroup_, dumpAddrLabel_, dumpAddr_, dumpSizeLabel_, dumpSize_, dumpGo_, saveFile_}) {
    w->setVisible(visible);
    w->setEnabled(visible);
  }
  if (!visible && (writeGo_->isDefault() || dumpGo_->isDefault())) MakeDefault(send_);
}

bool CRsTermDlg::MemorySectionVisible() const {
  return !writeGroup_->isHidden();
}

void CRsTermDlg::Send() {
  const QString line = cmdEdit_->text();
  cmd_.SendCommand(line.toStdString() + "\r\n", 1);
  // The field is ready for the next command; Up brings this one back.
  if (!line.isEmpty() && (history_.isEmpty() || history_.last() != line)) history_ << line;
  historyPos_ = static_cast<int>(history_.size());
  cmdEdit_->clear();
}

void CRsTermDlg::StepHistory(int step) {
  const int pos = historyPos_ + step;
  if (pos < 0 || pos > history_.size()) return;
  historyPos_ = pos;
  cmdEdit_->setText(pos < history_.size() ? history_[pos] : QString());
}

void CRsTermDlg::ClearLog() {
  log_.Clear();
  list_->clear();
}

void CRsTermDlg::WriteMemory() {
  if (!writeGo_->isEnabled()) return;
  SendMemoryWrite(cmd_, writeAddr_->text().toStdString(), writeData_->text().toStdString());
}

void CRsTermDlg::DumpMemory() {
  if (!dumpGo_->isEnabled()) return;
  SendMemoryDump(cmd_, dumpAddr_->text().toStdString(), dumpSize_->text().toStdString());
}

void CRsTermDlg::DumpToFile() {
  if (!saveFile_->isEnabled()) return;
  Settings& s = cmd_.Config();
  const std::string path = ChooseFile(this, {true, s.dumpFile, "csv", "csv file (*.csv)", {}});
  if (path.empty()) return;
  if (!ConfirmOverwrite(ui_, path)) return;
  if (!kestrel::DumpToFile(cmd_, path, dumpAddr_->text().toStdString(),
                           dumpSize_->text().toStdString()))
    ui_.Show(cmd_.LastFailure());
  // The folder is remembered even when the file could not be written: it is
  // where the user looked.
  s.dumpFile = FolderOf(path);
}

void CRsTermDlg::MakeDefault(QPushButton* button) {
  for (QPushButton* b : {send_, writeGo_, dumpGo_})
    b->setDefault(b == button);
}

bool CRsTermDlg::eventFilter(QObject* watched, QEvent* e) {
  if (watched == cmdEdit_ && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      StepHistory(key == Qt::Key_Up ? -1 : 1);
      return true;
    }
  }
  if (e->type() == QEvent::FocusIn) {
    if (watched == cmdEdit_)
      MakeDefault(send_);
    else if (watched == writeAddr_ || watched == writeData_)
      MakeDefault(writeGo_);
    else if (watched == dumpAddr_ || watched == dumpSize_)
      MakeDefault(dumpGo_);
  }
  return QDialog::eventFilter(watched, e);
}

void CRsTermDlg::reject() {
  // Esc hides the window like "Close"; the terminal lives for the whole run.
  hide();
}

void CRsTermDlg::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  PlaceControls();
}

void CRsTermDlg::PlaceControls() {
  const int W = width();
  const int H = height();
  Place(cmdEdit_, 10, 10, W - 80, 30);
  Place(list_, 10, 42, W - 80, H - 20);
  Place(send_, W - 70, 10, W - 10, 30);
  Place(clear_, W - 70, 34, W - 10, 54);
  Place(close_, W - 70, 58, W - 10, 78);
  Place(writeGroup_, W - 76, 84, W - 2, 200);
  Place(writeAddrLabel_, W - 68, 98, W - 12, 114);
  Place(writeAddr_, W - 68, 114, W - 12, 134);
  Place(writeDataLabel_, W - 68, 136, W - 12, 152);
  Place(writeData_, W - 68, 152, W - 12, 172);
  Place(writeGo_, W - 66, 175, W - 14, 195);
  Place(dumpGroup_, W - 76, 202, W - 2, 340);
  Place(dumpAddrLabel_, W - 68, 216, W - 12, 232);
  Place(dumpAddr_, W - 68, 232, W - 12, 252);
  Place(dumpSizeLabel_, W - 68, 254, W - 12, 270);
  Place(dumpSize_, W - 68, 270, W - 12, 290);
  Place(dumpGo_, W - 66, 293, W - 14, 313);
  Place(saveFile_, W - 66, 315, W - 14, 335);
  // The strip runs along the bottom edge under the log, whatever the size.
  Place(strip_, 10, H - 12, 10 + 293, H - 8);
}

void CRsTermDlg::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  AddTerminalRoutineMenu(&menu, this, cmd_, ui_);
  menu.exec(e->globalPos());
}

}  // namespace kestrel
