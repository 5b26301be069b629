#include "service/gui/terminal_routines_dlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "base/file_messages.h"
#include "base/text_file.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"
#include "service/terminal_routines.h"

namespace kestrel {

namespace {

// For the routine's duration: the progress window and message boxes belong
// to the terminal, and every other window of the program is disabled. The
// panel's receive poll stays out while its window is disabled, so it cannot
// take the dump lines a routine is collecting between its message pumps.
class RoutineScope {
 public:
  RoutineScope(QWidget* owner, QtUserInterface& ui) : ui_(ui), previousOwner_(ui.Owner()) {
    QWidget* top = owner ? owner->window() : nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w == top || !w->isVisible() || !w->isEnabled()) continue;
      w->setEnabled(false);
      disabled_.emplace_back(w);
    }
    if (top) ui_.SetOwner(top);
  }
  ~RoutineScope() {
    ui_.SetOwner(previousOwner_);
    for (const QPointer<QWidget>& w : disabled_)
      if (w) w->setEnabled(true);
  }
  RoutineScope(const RoutineScope&) = delete;
  RoutineScope& operator=(const RoutineScope&) = delete;

 private:
  QtUserInterface& ui_;
  QPointer<QWidget> previousOwner_;
  std::vector<QPointer<QWidget>> disabled_;
};

struct RoutineInfo {
  const char* caption;
  bool write;
  bool video;
  PixelCorrectionKind kind;
  PixelStoreArea area;
};

const RoutineInfo& Info(int which) {
  static const RoutineInfo kInfo[kTerminalRoutineCount] = {
      {"Factory", true, false, PixelCorrectionKind::Black, PixelStoreArea::Factory},
      {"User", true, false, PixelCorrectionKind::Black, PixelStoreArea::User},
      {"Factory", true, false, PixelCorrectionKind::Gain, PixelStoreArea::Factory},
      {"User", true, false, PixelCorrectionKind::Gain, PixelStoreArea::User},
      {"Black", false, false, PixelCorrectionKind::Black, PixelStoreArea::Factory},
      {"Gain", false, false, PixelCorrectionKind::Gain, PixelStoreArea::Factory},
      {"Run pixel black cor. and read data", false, true, PixelCorrectionKind::Black,
       PixelStoreArea::Factory},
      {"Run pixel gain cor. and read data", false, true, PixelCorrectionKind::Gain,
       PixelStoreArea::Factory},
  };
  return kInfo[which];
}

}  // namespace

int RunTerminalRoutine(QWidget* owner, int which, CCamCmd& cmd, QtUserInterface& ui) {
  if (which < 0 || which >= kTerminalRoutineCount) return 0;
  const RoutineInfo& r = Info(which);
  Settings& settings = cmd.Config();

  FileRequest request;
  request.save = !r.write;
  request.folder = settings.dumpFile;
  request.extension = r.write ? "txt" : "csv";
  request.filter = QString("%1 file (*.%1)").arg(QString::fromStdString(request.extension));
  const std::string path = ChooseFile(owner, request);
  if (path.empty()) return 0;
  if (request.save && !ConfirmOverwrite(ui, path)) return 0;
  settings.dumpFile = FolderOf(path);
  if (r.video) ui.PumpOneMessage();

  RoutineScope scope(owner, ui);
  const int ok = r.write   ? WriteCorrectionData(cmd, r.kind, r.area, path)
                 : r.video ? ReadVideoData(cmd, r.kind, path)
                           : ReadCorrectionData(cmd, ui, r.kind, path);
  // A routine the person stopped says how far it got and that nothing was
  // stored or written, as every failure does.
  if (const Failure& f = cmd.LastFailure(); !ok)
    ui.Report(f.text, f.icon, MsgButtons::Ok, f.caption);
  return ok;
}

void AddTerminalRoutineMenu(QMenu* menu, QWidget* owner, CCamCmd& cmd, QtUserInterface& ui) {
  QPointer<QWidget> guard(owner);
  CCamCmd* c = &cmd;
  QtUserInterface* u = &ui;
  auto add = [&](QMenu* m, int which) {
    m->addAction(Info(which).caption, m, [guard, which, c, u] {
      if (guard) RunTerminalRoutine(guard, which, *c, *u);
    });
  };
  QMenu* write =
      menu->addMenu(QCoreApplication::translate("kestrel::CRsTermDlg", "Write correction data"));
  QMenu* writeBlack = write->addMenu(QCoreApplication::translate("kestrel::CRsTermDlg", "Black"));
  add(writeBlack, kWriteBlackFactory);
  add(writeBlack, kWriteBlackUser);
  QMenu* writeGain = write->addMenu(QCoreApplication::translate("kestrel::CRsTermDlg", "Gain"));
  add(writeGain, kWriteGainFactory);
  add(writeGain, kWriteGainUser);
  QMenu* read =
      menu->addMenu(QCoreApplication::translate("kestrel::CRsTermDlg", "Read correction data"));
  add(read, kReadBlack);
  add(read, kReadGain);
  add(menu, kRunBlackAndRead);
  add(menu, kRunGainAndRead);
}

}  // namespace kestrel
