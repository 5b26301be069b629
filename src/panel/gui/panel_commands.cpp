#include "panel/gui/panel_commands.h"

#include <QAction>
#include <QFileInfo>
#include <QPushButton>

#include "backup/camera_backup.h"
#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/tar_archive.h"
#include "base/text_file.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "gui/tool_window.h"
#include "link/cl_serial.h"
#include "panel/areas.h"
#include "panel/gui/areas_dlg.h"
#include "panel/gui/comm_select_dlg.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/setting_diff_dlg.h"
#include "protocol/cam_cmd.h"
#include "service/about_info.h"

namespace kestrel {

// ---------------------------------------------------------------- panel side

PanelSettings::PanelSettings(CKestrelDlg& panel) : panel_(panel) {}

int PanelSettings::CmdId2CtrlId(int cmdIndex) {
  return TablePanel<BindingTable>(panel_.Table()).CmdId2CtrlId(cmdIndex);
}

bool PanelSettings::SetParam(int ctrlId, const ParamValue& value) {
  return TablePanel<BindingTable>(panel_.Table()).SetParam(ctrlId, value);
}

void PanelSettings::AfterReplay() {
  TablePanel<BindingTable>(panel_.Table()).AfterReplay();
}

void PanelSettings::RefreshFromCamera() {
  panel_.RefreshFromCamera();
}

bool PanelSettings::ReadParamFromCamera(int ctrlId) {
  return TablePanel<BindingTable>(panel_.Table()).ReadParamFromCamera(ctrlId);
}

// ---------------------------------------------------------------- the tools

namespace {

// Keeps the busy count right on every way out.
class BusyScope {
 public:
  explicit BusyScope(PanelCommands& tools) : tools_(tools) { tools_.Busy(true); }
  ~BusyScope() { tools_.Busy(false); }

 private:
  PanelCommands& tools_;
};

// The setting area as the flash questions name it.
QString AreaName(int area) {
  switch (area) {
    case kAreaFactory:
      return QObject::tr("Factory");
    case kAreaUser1:
      return QObject::tr("User 1");
    default:
      return QObject::tr("User 2");
  }
}

}  // namespace

bool ConfirmAreaStore(QtUserInterface& ui, int area) {
  return ui.ConfirmFlashWrite(
      QObject::tr("Store the camera's current settings in the %1 setting area?\n"
                  "This overwrites the settings stored there.")
          .arg(AreaName(area)));
}

PanelCommands::PanelCommands(CKestrelDlg& panel, QtUserInterface& ui)
    : QObject(&panel), panel_(panel), cmd_(panel.Cmd()), ui_(ui), panelSettings_(panel) {
  setObjectName("panelCommands");
  // The Camera Link adapter of the run: the communication dialog lists its
  // libraries and ports, and the link goes through it when "Serial Mode" is
  // not 0.
  cameraLink_ = std::make_unique<CClSerial>(panel_.Config());
  cmd_.SetCameraLink(cameraLink_.get());

  comm_ = new CCommSelDlg(panel_, ui_, *cameraLink_, panelSettings_);

  connect(comm_, &CCommSelDlg::writeToFileRequested, this, &PanelCommands::SaveAs);
  connect(comm_, &CCommSelDlg::readToFileRequested, this, &PanelCommands::Open);
  connect(comm_, &CCommSelDlg::busy, this, &PanelCommands::Busy);
}

PanelCommands::~PanelCommands() {
  // The panel's end has closed the link already; the command object outlives
  // the adapter, so it must not keep pointing at it.
  cmd_.SetCameraLink(nullptr);
}

CCommSelDlg& PanelCommands::Communication() {
  return *comm_;
}

CAreaSelDlg* PanelCommands::AreaDialog() const {
  return areaDialog_;
}

void PanelCommands::Busy(bool on) {
  if (on) {
    if (busyDepth_++ > 0) return;
  } else {
    if (busyDepth_ == 0 || --busyDepth_ > 0) return;
  }
  panel_.Busy(on);
  if (comm_) comm_->setEnabled(!on);
}

void PanelCommands::SaveAs() {
  Settings& s = panel_.Config();
  const std::string path =
      ChooseFile(&panel_, {true, s.dataPath, "cam", tr("Camera setting data (*.cam)"), {}});
  if (path.empty() || !ConfirmOverwrite(ui_, path)) return;
  const std::vector<BindingValue> values = BindingValues(panel_.Table());
  if (!SaveSettingFile(path, panel_.Cmd(), values, s.operatingMode))
    ui_.Show(panel_.Cmd().LastFailure());
  else
    panel_.FileDone(QString::fromStdString(path),
                    tr("Saved %1").arg(QFileInfo(QString::fromStdString(path)).fileName()));
  s.dataPath = FolderOf(path);
}

void PanelCommands::Open() {
  Settings& s = panel_.Config();
  const std::string path =
      ChooseFile(&panel_, {false, s.dataPath, "cam", tr("Camera setting data (*.cam)"), {}});
  if (!path.empty()) OpenFile(QString::fromStdString(path));
}

void PanelCommands::OpenFile(const QString& file) {
  const std::string path = file.toStdString();
  panel_.Config().dataPath = FolderOf(path);
  std::string text;
  if (std::string why = ReadInputFile(path, kMaxSettingFileBytes, text); !why.empty()) {
    ui_.Show(Failure(FailureKind::FileError, path + "\nCouldn't open this file\n" + why,
                     MsgIcon::Warning, "File Open Error"));
    return;
  }
  // The file and what it holds, before anything is sent.
  const SettingFileCheck check = CheckSettingText(cmd_.Table(), text);
  const QString name = QFileInfo(file).fileName();
  if (ui_.Report(tr("Send the settings of %1 to the camera?\n%2 lines, %3 settings.")
                     .arg(name)
                     .arg(check.lines)
                     .arg(check.good.size())
                     .toStdString(),
                 MsgIcon::Question, MsgButtons::OkCancel) != MsgAnswer::Ok)
    return;
  BusyScope busy(*this);
  // What the camera held before: the panel's values, read from it.
  const std::vector<BindingValue> before = BindingValues(panel_.Table());
  const ReplayResult r = ReplaySettingText(text, cmd_, &panelSettings_, &ui_);
  if (r.cancelled && r.sent > 0 && !cmd_.LinkLost() &&
      ui_.Report(tr("Stopped after %1 of %2 settings.\nPut back the values the camera held "
                    "before %3 was opened?")
                     .arg(r.sent)
                     .arg(check.good.size())
                     .arg(name)
                     .toStdString(),
                 MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes) {
    PutBack(before);
    return;
  }
  if (r.FailureRecorded())
    ShowReplayFailure();
  else
    panel_.FileDone(file,
                    (r.sent == 1 ? tr("Applied %1: 1 line")
                                 : tr("Applied %1: %2 lines").arg("%1", QString::number(r.sent)))
                        .arg(name));
}

void PanelCommands::PutBack(const std::vector<BindingValue>& before) {
  // The replay has made its values the panel's baseline; the values from
  // before go back as changes to it, so only what differs is sent.
  BindingTable& table = panel_.Table();
  for (const BindingValue& b : before)
    if (!(table.GetParam(b.ctrlId) == b.value)) table.SetParam(b.ctrlId, b.value);
  // A value the camera does not take is told by the table and read back.
  CCamCmd::LinkOwner owner(cmd_);
  (void)table.SendChangedParams();
  table.SaveBaseline();
}

void PanelCommands::ShowReplayFailure() {
  ui_.Show(cmd_.LastFailure());
}

void PanelCommands::Reload() {
  BusyScope busy(*this);
  int area = panel_.Link().CurrentArea();
  if (!ReloadSettings(panel_.Cmd(), area, &panelSettings_)) ui_.Show(cmd_.LastFailure());
  panel_.Link().SetCurrentArea(area);
}

int PanelCommands::RunAreaDialog(bool loading) {
  CAreaSelDlg dialog(&panel_, loading, panel_.Config().operatingMode, panel_.Link().CurrentArea(),
                     ui_.LinkState());
  areaDialog_ = &dialog;
  connect(&ui_, &QtUserInterface::linkStateChanged, &dialog, &CAreaSelDlg::SetLinkState);
  const int r = dialog.exec();
  areaDialog_ = nullptr;
  return r == QDialog::Accepted ? dialog.Area() : -1;
}

void PanelCommands::LoadSettings() {
  if (areaDialog_) return;
  const int area = RunAreaDialog(true);
  if (area < 0) return;
  BusyScope busy(*this);
  int current = panel_.Link().CurrentArea();
  if (!LoadSettingsArea(panel_.Cmd(), current, area, &panelSettings_)) ui_.Show(cmd_.LastFailure());
  panel_.Link().SetCurrentArea(current);
}

void PanelCommands::StoreSettings() {
  if (areaDialog_) return;
  const int area = RunAreaDialog(false);
  if (area < 0 || !ConfirmAreaStore(ui_, area)) return;
  BusyScope busy(*this);
  int current = panel_.Link().CurrentArea();
  if (StoreSettingsArea(panel_.Cmd(), current, area))
    ui_.Report(kStoredText, MsgIcon::Information);
  else
    ui_.Show(cmd_.LastFailure());
  panel_.Link().SetCurrentArea(current);
}

void PanelCommands::StoreAll() {
  // The question is modal; the panel is disabled only for the store itself
  // (a box over a disabled window would take no input).
  if (!ui_.ConfirmFlashWrite(tr(
          "Store the camera's current settings in all three setting areas "
          "(Factory, User 1 and User 2)?\nThis overwrites the settings stored in each of them.")))
    return;
  BusyScope busy(*this);
  if (StoreAllAreas(panel_.Cmd(), ui_))
    ui_.Report(kStoredText, MsgIcon::Information);
  else
    ui_.Show(cmd_.LastFailure());
}

void PanelCommands::InitFlashData() {
  if (!ui_.ConfirmFlashWrite(
          tr("Reset the parameters in the camera's flash memory to their defaults?\n"
             "This overwrites every parameter stored there; the camera uses the defaults "
             "from its next start.")))
    return;
  BusyScope busy(*this);
  if (kestrel::InitFlashData(panel_.Cmd()))
    ui_.Report("Complete!  Data change when camera is rebooted.", MsgIcon::Information);
  else
    ui_.Show(cmd_.LastFailure());
}

void PanelCommands::CameraReset() {
  if (ui_.Report(tr("Restart the camera now?").toStdString(), MsgIcon::Question,
                 MsgButtons::YesNo) == MsgAnswer::Yes)
    kestrel::CameraReset(panel_.Cmd());
}

CCompareDlg* PanelCommands::CompareWindow() const {
  return compare_;
}

void PanelCommands::CompareWithCamera() {
  Settings& s = panel_.Config();
  const std::string path =
      ChooseFile(&panel_, {false, s.dataPath, "cam", tr("Camera setting data (*.cam)"), {}});
  if (path.empty()) return;
  s.dataPath = FolderOf(path);
  if (!compare_) compare_ = new CCompareDlg(panel_, *this, ui_);
  if (compare_->Compare(QString::fromStdString(path))) ShowTool(&panel_, compare_);
}

namespace {

QString Listed(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& n : names)
    list << QString::fromStdString(n);
  return list.isEmpty() ? PanelCommands::tr("none") : list.join(", ");
}

}  // namespace

void PanelCommands::BackUpCamera() {
  Settings& s = panel_.Config();
  const std::string path =
      ChooseFile(&panel_, {true, s.dataPath, "kbak", tr("Camera backup (*.kbak)"), {}});
  if (path.empty() || !ConfirmOverwrite(ui_, path)) return;
  s.dataPath = FolderOf(path);
  BusyScope busy(*this);
  BackupOptions options;
  options.factory = s.operatingMode == kModeFactory;
  options.kestrelVersion = kProgramVersion;
  BackupRun run;
  std::string archive;
  const int ok = kestrel::BackUpCamera(cmd_, options, archive, run);
  const Failure failure = cmd_.LastFailure();
  std::string why;
  // A whole archive is kept even when the working settings could not be put
  // back afterwards: it holds them.
  if (!archive.empty() && !WriteFileAtomically(path, archive, &why)) {
    ui_.Show(Failure(FailureKind::FileError, path + "\nCouldn't write this file\n" + why,
                     MsgIcon::Warning, "File Save Error"));
    return;
  }
  if (!ok) {
    ui_.Show(Failure(
        failure.kind,
        failure.text + "\n" +
            (archive.empty()
                 ? tr("Read before it stopped (no file written): %1")
                       .arg(Listed(run.done))
                       .toStdString()
                 : tr("%1 was written whole.").arg(QString::fromStdString(path)).toStdString()),
        failure.icon, failure.caption));
    return;
  }
  ui_.Report(tr("Backed up %1 parts into %2.\n%3")
                 .arg(run.done.size())
                 .arg(QString::fromStdString(path))
                 .arg(QString::fromStdString(run.note))
                 .toStdString(),
             MsgIcon::Information);
}

void PanelCommands::RestoreCamera() {
  Settings& s = panel_.Config();
  const std::string path =
      ChooseFile(&panel_, {false, s.dataPath, "kbak", tr("Camera backup (*.kbak)"), {}});
  if (path.empty()) return;
  s.dataPath = FolderOf(path);
  std::string archive;
  CheckedBackup backup;
  std::string why = ReadInputFile(path, kMaxTarBytes, archive);
  if (why.empty()) why = CheckBackup(archive, backup);
  if (!why.empty()) {
    ui_.Show(Failure(FailureKind::BadInput,
                     path + "\n" + why + "\n" + tr("Nothing was sent.").toStdString(),
                     MsgIcon::Warning, "File Open Error"));
    return;
  }
  if (!ui_.ConfirmFlashWrite(
          tr("Restore camera %1 from %2?\nThis overwrites the working settings, the three setting "
             "areas, the correction data, the LUTs, the aberration table and the user ID stored "
             "in the camera.")
              .arg(QString::fromStdString(backup.manifest.cameraId))
              .arg(QFileInfo(QString::fromStdString(path)).fileName())))
    return;
  BusyScope busy(*this);
  BackupOptions options;
  BackupRun run;
  const int ok = kestrel::RestoreCamera(cmd_, backup, options, run);
  const Failure failure = cmd_.LastFailure();
  panelSettings_.RefreshFromCamera();
  const std::string note = run.note.empty() ? "" : "\n" + run.note;
  if (!ok) {
    ui_.Show(Failure(failure.kind,
                     failure.text + "\n" +
                         tr("Written before it stopped: %1").arg(Listed(run.done)).toStdString() +
                         note,
                     failure.icon, failure.caption));
    return;
  }
  ui_.Report(tr("Restored and read back equal: %1").arg(Listed(run.checked)).toStdString() + note,
             run.skipped.empty() ? MsgIcon::Information : MsgIcon::Warning);
}

// ---------------------------------------------------------------- wiring

PanelCommands* InstallPanelCommands(CKestrelDlg& panel, QtUserInterface& ui) {
  if (auto* installed = panel.findChild<PanelCommands*>()) return installed;  // once
  auto* tools = new PanelCommands(panel, ui);

  auto action = [&panel](const char* name, auto slot, PanelCommands* t) {
    if (auto* a = panel.MenuAction(name)) {
      CKestrelDlg::MakeAvailable(a);
      QObject::connect(a, &QAction::triggered, t, slot);
    }
  };
  action("actionOpen", &PanelCommands::Open, tools);
  QObject::connect(&panel, &CKestrelDlg::openRecentRequested, tools, &PanelCommands::OpenFile);
  action("actionSaveAs", &PanelCommands::SaveAs, tools);
  action("actionCompareWithCamera", &PanelCommands::CompareWithCamera, tools);
  action("actionBackUpCamera", &PanelCommands::BackUpCamera, tools);
  action("actionRestoreCamera", &PanelCommands::RestoreCamera, tools);
  action("actionReload", &PanelCommands::Reload, tools);
  action("actionLoadSettings", &PanelCommands::LoadSettings, tools);
  action("actionStoreSettings", &PanelCommands::StoreSettings, tools);

  auto button = [&panel](const char* name, auto slot, PanelCommands* t) {
    if (auto* b = panel.ToolButton(name)) {
      CKestrelDlg::MakeAvailable(b);
      QObject::connect(b, &QPushButton::clicked, t, slot);
    }
  };
  button("buttonStoreAll", &PanelCommands::StoreAll, tools);
  button("buttonInitFlashData", &PanelCommands::InitFlashData, tools);
  button("buttonCameraReset", &PanelCommands::CameraReset, tools);

  QWidget* comm = &tools->Communication();
  if (auto* a = panel.MenuAction("actionCommunication")) {
    CKestrelDlg::MakeAvailable(a);
    QObject::connect(a, &QAction::triggered, tools, [&panel, comm] { ShowTool(&panel, comm); });
  }
  // It comes up by itself only where the start needs it: the configured port
  // is not there, so no camera can be found until another one is chosen.
  if (!panel.Link().DevicePresent()) ShowToolWithPanel(&panel, comm);
  return tools;
}

}  // namespace kestrel
