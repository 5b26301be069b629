#include "panel/gui/tools5.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "app/qt_user_interface.h"
#include "link/cl_serial.h"
#include "panel/areas.h"
#include "panel/gui/area_sel_dlg.h"
#include "panel/gui/comm_sel_dlg.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"
#include "service/gui/rs_term_dlg.h"
#include "util/file_messages.h"
#include "util/text_file.h"

namespace kestrel {

// ---------------------------------------------------------------- file dialogs

namespace {
FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}
}  // namespace

void SetFileChooser(FileChooser chooser) {
  Chooser() = std::move(chooser);
}

std::string ChooseFile(QWidget* parent, const FileRequest& request) {
  if (Chooser()) return Chooser()(request);
  QFileDialog dialog(parent);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The tools ask their own replace question, with the program's texts.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setDefaultSuffix(QString::fromStdString(request.extension));
  dialog.setNameFilter(request.filter);
  // An empty remembered folder starts where the program was started.
  const QString folder = QString::fromStdString(request.folder);
  dialog.setDirectory(folder.isEmpty() || !QDir(folder).exists() ? QDir::currentPath() : folder);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst().toStdString();
}

// ---------------------------------------------------------------- link strip

LinkStrip::LinkStrip(QWidget* parent) : QWidget(parent) {
  setFixedSize(293, 4);
  setAccessibleName("Link state");
}

void LinkStrip::SetState(int online) {
  online = online == 1 ? 1 : 0;
  if (online == online_) return;
  online_ = online;
  setAccessibleDescription(online_ ? "Online" : "Offline");
  update();
}

void LinkStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), online_ ? QColor(0, 128, 0) : QColor(255, 0, 0));
}

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

// ---------------------------------------------------------------- the tools

namespace {

// Keeps the busy count right on every way out.
class BusyScope {
 public:
  explicit BusyScope(Issue5Tools& tools) : tools_(tools) { tools_.Busy(true); }
  ~BusyScope() { tools_.Busy(false); }

 private:
  Issue5Tools& tools_;
};

// Places a tool window beside the panel the first time it shows.
void PlaceBeside(QWidget* panel, QWidget* tool) {
  const QRect frame = panel->frameGeometry();
  QPoint at(frame.right() + 8, frame.top());
  if (QScreen* screen = panel->screen()) {
    const QRect avail = screen->availableGeometry();
    if (at.x() + tool->width() > avail.right())
      at.setX(std::max(avail.left(), avail.right() - tool->width()));
  }
  tool->move(at);
}

}  // namespace

Issue5Tools::Issue5Tools(CKestrelDlg& panel, QtUserInterface& ui)
    : QObject(&panel), panel_(panel), ui_(ui), panelSettings_(panel) {
  setObjectName("issue5Tools");
  CCamCmd& cmd = panel_.Cmd();
  // The Camera Link adapter of the run: the communication dialog lists its
  // libraries and ports, and the link goes through it when "Serial Mode" is
  // not 0.
  cameraLink_ = std::make_unique<CClSerial>(panel_.Config(), ui_);
  cmd.SetCameraLink(cameraLink_.get());

  terminal_ = new CRsTermDlg(cmd, ui_, &panel_);
  terminal_->SetMemorySectionVisible(panel_.Config().operatingMode == kModeFactory);
  comm_ = new CCommSelDlg(panel_, ui_, *cameraLink_, panelSettings_);

  connect(comm_, &CCommSelDlg::writeToFileRequested, this, &Issue5Tools::SaveAs);
  connect(comm_, &CCommSelDlg::readToFileRequested, this, &Issue5Tools::Open);
  connect(comm_, &CCommSelDlg::busy, this, &Issue5Tools::Busy);
  connect(&panel_, &CKestrelDlg::modeChanged, this, [this](int mode) {
    if (terminal_) terminal_->SetMemorySectionVisible(mode == kModeFactory);
  });
}

Issue5Tools::~Issue5Tools() {
  // The panel's end has closed the link already; the command object outlives
  // the adapter, so it must not keep pointing at it.
  panel_.Cmd().SetCameraLink(nullptr);
}

CRsTermDlg& Issue5Tools::Terminal() {
  return *terminal_;
}

CCommSelDlg& Issue5Tools::Communication() {
  return *comm_;
}

CAreaSelDlg* Issue5Tools::AreaDialog() const {
  return areaDialog_;
}

void Issue5Tools::Busy(bool on) {
  if (on) {
    if (busyDepth_++ > 0) return;
  } else {
    if (busyDepth_ == 0 || --busyDepth_ > 0) return;
  }
  panel_.Busy(on);
  if (comm_) comm_->setEnabled(!on);
  if (terminal_) terminal_->setEnabled(!on);
}

void Issue5Tools::SaveAs() {
  Settings& s = panel_.Config();
  const std::string path =
      ChooseFile(&panel_, {true, s.dataPath, "cam", "Camera setting data (*.cam)"});
  if (path.empty() || !ConfirmOverwrite(ui_, path)) return;
  SaveSettingFile(path, panel_.Cmd(), BindingValues(panel_.Table()), s.operatingMode, ui_);
  s.dataPath = FolderOf(path);
}

void Issue5Tools::Open() {
  Settings& s = panel_.Config();
  const std::string path =
      ChooseFile(&panel_, {false, s.dataPath, "cam", "Camera setting data (*.cam)"});
  if (path.empty()) return;
  {
    BusyScope busy(*this);
    ReplaySettingFile(path, panel_.Cmd(), &panelSettings_);
  }
  s.dataPath = FolderOf(path);
}

void Issue5Tools::Reload() {
  BusyScope busy(*this);
  int area = panel_.Link().CurrentArea();
  ReloadSettings(panel_.Cmd(), area, &panelSettings_);
  panel_.Link().SetCurrentArea(area);
}

int Issue5Tools::RunAreaDialog(bool loading) {
  CAreaSelDlg dialog(&panel_, loading, panel_.Config().operatingMode, panel_.Link().CurrentArea(),
                     ui_.LinkState());
  areaDialog_ = &dialog;
  connect(&ui_, &QtUserInterface::linkStateChanged, &dialog, &CAreaSelDlg::SetLinkState);
  const int r = dialog.exec();
  areaDialog_ = nullptr;
  return r == QDialog::Accepted ? dialog.Area() : -1;
}

void Issue5Tools::LoadSettings() {
  if (areaDialog_) return;
  const int area = RunAreaDialog(true);
  if (area < 0) return;
  BusyScope busy(*this);
  int current = panel_.Link().CurrentArea();
  LoadSettingsArea(panel_.Cmd(), current, area, &panelSettings_);
  panel_.Link().SetCurrentArea(current);
}

void Issue5Tools::StoreSettings() {
  if (areaDialog_) return;
  const int area = RunAreaDialog(false);
  if (area < 0) return;
  BusyScope busy(*this);
  int current = panel_.Link().CurrentArea();
  StoreSettingsArea(panel_.Cmd(), current, area);
  panel_.Link().SetCurrentArea(current);
}

void Issue5Tools::StoreAll() {
  BusyScope busy(*this);
  StoreAllAreas(panel_.Cmd());
}

void Issue5Tools::InitFlashData() {
  BusyScope busy(*this);
  kestrel::InitFlashData(panel_.Cmd());
}

void Issue5Tools::CameraReset() {
  kestrel::CameraReset(panel_.Cmd());
}

// ---------------------------------------------------------------- wiring

namespace {

void Enable(QAction* a) {
  a->setEnabled(true);
  a->setToolTip({});
  a->setStatusTip({});
}

void Enable(QPushButton* b) {
  b->setEnabled(true);
  b->setToolTip({});
}

// Shows a tool window, beside the panel the first time.
void ShowTool(QWidget* panel, QWidget* tool) {
  if (!tool->property("placed").toBool()) {
    PlaceBeside(panel, tool);
    tool->setProperty("placed", true);
  }
  tool->show();
  tool->raise();
  tool->activateWindow();
}

// Shows the communication dialog beside the panel when the panel first shows.
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

void InstallIssue5Tools(CKestrelDlg& panel, QtUserInterface& ui) {
  if (panel.findChild<Issue5Tools*>()) return;  // once
  auto* tools = new Issue5Tools(panel, ui);

  auto action = [&panel](const char* name, auto slot, Issue5Tools* t) {
    if (auto* a = panel.findChild<QAction*>(name)) {
      Enable(a);
      QObject::connect(a, &QAction::triggered, t, slot);
    }
  };
  action("actionOpen", &Issue5Tools::Open, tools);
  action("actionSaveAs", &Issue5Tools::SaveAs, tools);
  action("actionReload", &Issue5Tools::Reload, tools);
  action("actionLoadSettings", &Issue5Tools::LoadSettings, tools);
  action("actionStoreSettings", &Issue5Tools::StoreSettings, tools);

  auto button = [&panel](const char* name, auto slot, Issue5Tools* t) {
    if (auto* b = panel.findChild<QPushButton*>(name)) {
      Enable(b);
      QObject::connect(b, &QPushButton::clicked, t, slot);
    }
  };
  button("buttonStoreAll", &Issue5Tools::StoreAll, tools);
  button("buttonInitFlashData", &Issue5Tools::InitFlashData, tools);
  button("buttonCameraReset", &Issue5Tools::CameraReset, tools);

  QWidget* terminal = &tools->Terminal();
  QWidget* comm = &tools->Communication();
  if (auto* b = panel.findChild<QPushButton*>("buttonTerminal")) {
    Enable(b);
    QObject::connect(b, &QPushButton::clicked, tools,
                     [&panel, terminal] { ShowTool(&panel, terminal); });
  }
  if (auto* a = panel.findChild<QAction*>("actionCommunication")) {
    Enable(a);
    QObject::connect(a, &QAction::triggered, tools, [&panel, comm] { ShowTool(&panel, comm); });
  }
  if (panel.isVisible())
    ShowTool(&panel, comm);
  else
    new ShowWithPanel(&panel, comm);
}

}  // namespace kestrel
