#include "correction/gui/correction_tools.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "base/file_messages.h"
#include "base/settings.h"
#include "correction/data_file.h"
#include "correction/gui/calibration_dlg.h"
#include "correction/gui/correction_plot_dlg.h"
#include "correction/gui/lut_table_dlg.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "gui/tool_window.h"
#include "panel/binding_table.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

// While an operation pumps messages between its commands, the operator's
// clicks and keys must not reach the panel (or its tool windows) and start
// camera traffic of their own in the middle of it. Disabling the panel would
// also disable the message boxes the operation shows, which are its children;
// this guard drops the input instead and lets every other event through.
class InputGuard : public QObject {
 public:
  explicit InputGuard(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
  ~InputGuard() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::Close: {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w) return false;
        // The panel itself and its tool windows, but not the message boxes.
        QWidget* top = w->window();
        return top == window_ || (top->parentWidget() && top->parentWidget()->window() == window_ &&
                                  !qobject_cast<QMessageBox*>(top));
      }
      default:
        return false;
    }
  }

 private:
  QWidget* window_;
};

uint32_t PositionControlOf(BlemishColumn column) {
  switch (column) {
    case BlemishColumn::User1:
      return ctrl::BLMP;
    case BlemishColumn::User2:
      return ctrl::BLMP2;
    case BlemishColumn::Factory1:
      return ctrl::BLMPF;
    case BlemishColumn::Factory2:
      return ctrl::BLMPF2;
  }
  return ctrl::BLMP;
}

}  // namespace

int ShowOutcome(QtUserInterface& ui, int ok, const Failure& failure, const std::string& done) {
  if (ok != 1)
    ui.Show(failure);
  else if (!done.empty())
    ui.Report(done, MsgIcon::Information);
  return ok == 1 ? 1 : 0;
}

// ---------------------------------------------------------------- installation

void InstallCorrectionTools(CKestrelDlg& panel, QtUserInterface& ui) {
  if (CorrectionTools::Of(panel)) return;
  auto* tools = new CorrectionTools(panel, ui);
  tools->Install();
}

CorrectionTools::CorrectionTools(CKestrelDlg& panel, QtUserInterface& ui)
    : QObject(&panel), panel_(panel), ui_(ui), transfer_(panel.Cmd()) {
  setObjectName("correctionTools");
}

CorrectionTools::~CorrectionTools() = default;

CorrectionTools* CorrectionTools::Of(CKestrelDlg& panel) {
  return panel.findChild<CorrectionTools*>("correctionTools", Qt::FindDirectChildrenOnly);
}

void CorrectionTools::Install() {
  // Both editors exist from now on and are only shown and hidden, so what
  // the operator drew survives closing them.
  for (int ch = 0; ch < 2; ++ch)
    lut_[ch] = new CLUTDlg(panel_.Cmd(), ui_, ch, &panel_);
  InstallDataMenu();
  InstallButtons();
}

void CorrectionTools::InstallDataMenu() {
  const struct {
    const char* menu;
    CorrectionKind kind;
  } kinds[3] = {{"menuPixelBlack", CorrectionKind::PixelBlack},
                {"menuPixelGain", CorrectionKind::PixelGain},
                {"menuShading", CorrectionKind::ShadingOffset}};
  QMenu* data = nullptr;
  for (const auto& k : kinds) {
    auto* action = panel_.findChild<QAction*>(k.menu);
    QMenu* sub = action ? action->menu() : nullptr;
    if (!sub) continue;
    data = qobject_cast<QMenu*>(sub->parentWidget());
    sub->setEnabled(true);
    CKestrelDlg::MakeAvailable(action);
    sub->clear();
    const CorrectionKind kind = k.kind;
    for (int s = 1; s <= 2; ++s)
      connect(sub->addAction(QString("Load from file (Sensor%1)…").arg(s)), &QAction::triggered,
              this, [this, kind, s] { LoadData(kind, s); });
    for (int s = 1; s <= 2; ++s)
      connect(sub->addAction(QString("Save to file (Sensor%1)…").arg(s)), &QAction::triggered, this,
              [this, kind, s] { SaveData(kind, s); });
    for (int s = 1; s <= 2; ++s)
      connect(sub->addAction(QString("Store to Camera (Sensor%1)").arg(s)), &QAction::triggered,
              this, [this, kind, s] { StoreData(kind, s); });
  }
  if (auto* view = panel_.MenuAction("actionViewCorrectionData")) {
    CKestrelDlg::MakeAvailable(view);
    connect(view, &QAction::triggered, this, &CorrectionTools::ViewCorrectionData);
  }
  if (!data) return;

  // The factory calibrations, the aberration file commands and the data
  // kinds the three submenus leave out have no place of their own on the
  // panel: they live in one more submenu, shown in the FACTORY mode only.
  factoryMenu_ = data->addMenu(tr("Factory Tools"));
  factoryMenu_->menuAction()->setObjectName("menuFactoryTools");
  QMenu* m = factoryMenu_;
  connect(m->addAction(tr("PRNU Cal")), &QAction::triggered, this, [this] { Prnu(1); });
  connect(m->addAction(tr("PRNU Cal 2")), &QAction::triggered, this, [this] { Prnu(2); });
  connect(m->addAction(tr("FPLD Cal")), &QAction::triggered, this, [this] { Fpld(); });
  connect(m->addAction(tr("Column Buf Cal…")), &QAction::triggered, this, [this] { ColumnCal(); });
  connect(m->addAction(tr("Readout CH Cal…")), &QAction::triggered, this, [this] { ReadoutCal(); });
  m->addSeparator();
  connect(m->addAction(tr("Aberration: User Load…")), &QAction::triggered, this,
          [this] { AberrationLoad(); });
  connect(m->addAction(tr("Aberration: User Save…")), &QAction::triggered, this,
          [this] { AberrationSave(); });
  m->addSeparator();
  const struct {
    const char* text;
    CorrectionKind kind;
  } extra[3] = {{"High Black", CorrectionKind::HighBlack},
                {"High Pixel Gain", CorrectionKind::HighPixelGain},
                {"Shading Slope", CorrectionKind::ShadingSlope}};
  for (const auto& e : extra) {
    const CorrectionKind kind = e.kind;
    connect(m->addAction(QString("%1: Load from file…").arg(e.text)), &QAction::triggered, this,
            [this, kind] { LoadData(kind, 1); });
    connect(m->addAction(QString("%1: Save to file…").arg(e.text)), &QAction::triggered, this,
            [this, kind] { SaveData(kind, 1); });
  }
  auto showFor = [this](int mode) { factoryMenu_->menuAction()->setVisible(mode == kModeFactory); };
  showFor(panel_.Config().operatingMode);
  connect(&panel_, &CKestrelDlg::modeChanged, this, showFor);
}

void CorrectionTools::InstallButtons() {
  // The panel names its placeholders by role and sensor column (1 or 2).
  auto wire = [this](const QString& name, auto handler) {
    QPushButton* b = panel_.ToolButton(name);
    if (!b) return;
    CKestrelDlg::MakeAvailable(b);
    connect(b, &QPushButton::clicked, this, handler);
  };
  for (int s = 1; s <= 2; ++s) {
    const int shift = s == 1 ? 0 : 3;
    wire(QString("shading%1").arg(s), [this, shift] { OpenCorrection(0 + shift); });
    wire(QString("pixelGain%1").arg(s), [this, shift] { OpenCorrection(1 + shift); });
    wire(QString("pixelBlack%1").arg(s), [this, shift] { OpenCorrection(2 + shift); });
    wire(QString("tapBalance%1").arg(s), [this, s] { TapGain(s); });
    const BlemishColumn user = s == 1 ? BlemishColumn::User1 : BlemishColumn::User2;
    const BlemishColumn factory = s == 1 ? BlemishColumn::Factory1 : BlemishColumn::Factory2;
    for (auto [prefix, column] : {std::pair{"blemish", user}, {"factoryBlemish", factory}}) {
      const BlemishColumn c = column;
      wire(QString("%1Detect%2").arg(prefix).arg(s), [this, c] { BlemishStart(c); });
      wire(QString("%1Read%2").arg(prefix).arg(s), [this, c] { BlemishRead(c); });
      wire(QString("%1Write%2").arg(prefix).arg(s), [this, c] { BlemishWrite(c); });
    }
  }
  // The LUT "Table" buttons are bound controls, held unavailable by the view;
  // once available, the panel's rule enables them while the mode is "LUT".
  for (int ch = 0; ch < 2; ++ch) {
    const uint32_t id = ch == 0 ? ctrl::LutTable1 : ctrl::LutTable2;
    auto* b = panel_.findChild<QPushButton*>(QString("ctl%1").arg(id));
    if (!b) continue;
    panel_.View().MarkAvailable(id);
    b->setToolTip(tr("Sensor%1: opens the LUT editor, which reads and writes this channel's "
                     "table in the camera")
                      .arg(ch + 1));
    connect(b, &QPushButton::clicked, this, [this, ch] { ShowLut(ch); });
  }
}

// ---------------------------------------------------------------- data files

QString CorrectionTools::AskPath(bool save, const char* filter) {
  return QString::fromStdString(
      ChooseFile(&panel_, {save, panel_.Config().dumpFile, "csv", QtFilterOf(filter), {}}));
}

void CorrectionTools::RememberFolder(const QString& path) {
  panel_.Config().dumpFile = FolderOf(path.toStdString());
}

int CorrectionTools::LoadData(CorrectionKind kind, int sensor) {
  const QString path = AskPath(false, InfoOf(kind).fileFilter);
  if (path.isEmpty()) return 0;
  const int ok = LoadDataFrom(kind, sensor, path);
  RememberFolder(path);
  return ok;
}

int CorrectionTools::SaveData(CorrectionKind kind, int sensor) {
  const QString path = AskPath(true, InfoOf(kind).fileFilter);
  if (path.isEmpty()) return 0;
  // A "No" leaves everything as it was, the remembered folder included.
  if (!ConfirmOverwrite(ui_, path.toStdString())) return 0;
  const int ok = SaveDataTo(kind, sensor, path);
  RememberFolder(path);
  return ok;
}

int CorrectionTools::LoadDataFrom(CorrectionKind kind, int sensor, const QString& path) {
  ui_.BeginBusy();
  const int ok = LoadCorrectionFile(transfer_, kind, path.toStdString(), sensor);
  ui_.EndBusy();
  return ShowOutcome(ui_, ok, panel_.Cmd().LastFailure(), InfoOf(kind).loadMessage);
}

int CorrectionTools::SaveDataTo(CorrectionKind kind, int sensor, const QString& path) {
  ui_.BeginBusy();
  const int ok = SaveCorrectionFile(transfer_, kind, path.toStdString(), sensor);
  ui_.EndBusy();
  return ShowOutcome(ui_, ok, panel_.Cmd().LastFailure(), InfoOf(kind).saveMessage);
}

int CorrectionTools::StoreData(CorrectionKind kind, int sensor) {
  const QString name = kind == CorrectionKind::PixelBlack  ? tr("pixel black")
                       : kind == CorrectionKind::PixelGain ? tr("pixel gain")
                                                           : tr("shading");
  if (!ui_.ConfirmFlashWrite(tr("Store the %1 correction data of Sensor%2 in the camera's flash "
                                "memory?\nThis overwrites the %1 data stored there for Sensor%2.")
                                 .arg(name)
                                 .arg(sensor)))
    return 0;
  ui_.BeginBusy();
  const int ok = transfer_.StoreCorrection(kind, sensor);
  ui_.EndBusy();
  return ShowOutcome(ui_, ok, panel_.Cmd().LastFailure(), StoredText(kind));
}

// ---------------------------------------------------------------- calibration

void CorrectionTools::OpenCorrection(int target) {
  CDlgCorrect dlg(panel_, ui_, target, calibrationTiming_);
  dlg.exec();
}

void CorrectionTools::ReReadControls(std::initializer_list<uint32_t> ids) {
  for (uint32_t id : ids)
    panel_.Table().ReadParamFromCamera(id);
}

void CorrectionTools::TapGain(int sensor) {
  const int ok = TapGainBalance(panel_.Cmd(), sensor);
  if (!ShowOutcome(ui_, ok, panel_.Cmd().LastFailure(),
                   tr("Sensor%1: the camera balanced its tap gains; the panel shows them.")
                       .arg(sensor)
                       .toStdString()))
    return;
  for (int row : TapGainRows(panel_.Cmd(), sensor)) {
    const int id = panel_.Table().CmdId2CtrlId(row);
    if (id >= 0) panel_.Table().ReadParamFromCamera(static_cast<uint32_t>(id));
  }
}

void CorrectionTools::Prnu(int sensor) {
  PrnuCalibration(panel_.Cmd(), ui_, sensor);
  // Put back after a Cancel, or left by the run: the panel shows the camera's.
  if (sensor == 1)
    ReReadControls({ctrl::TR, ctrl::GA1T1});
  else
    ReReadControls({ctrl::TR2, ctrl::GA2T1});
}

void CorrectionTools::Fpld() {
  FpldCalibration(panel_.Cmd(), ui_);
}

void CorrectionTools::ColumnCal() {
  // Accepted or cancelled, the camera's values have changed (or were put back).
  CDlgColumnCal dlg(panel_, ui_);
  dlg.exec();
  ReReadControls({ctrl::GA1T1, ctrl::GA2T1, ctrl::BYP});
}

void CorrectionTools::ReadoutCal() {
  CDlgReadoutCal dlg(panel_, ui_);
  dlg.exec();
  ReReadControls({ctrl::GA1T1, ctrl::GA2T1});
}

// ---------------------------------------------------------------- LUT, aberration, blemish

CLUTDlg& CorrectionTools::Lut(int channel) {
  return *lut_[channel == 0 ? 0 : 1];
}

void CorrectionTools::ShowLut(int channel) {
  CLUTDlg& dlg = Lut(channel);
  if (!dlg.property("placed").toBool()) {
    const int offset = channel == 0 ? 50 : 100;
    dlg.move(panel_.pos() + QPoint(offset, offset));
    dlg.setProperty("placed", true);
  }
  dlg.show();
  dlg.raise();
  dlg.activateWindow();
}

CCorrectionPlotDlg& CorrectionTools::Plot() {
  if (!plot_) plot_ = new CCorrectionPlotDlg(transfer_, ui_, panel_.Config(), &panel_);
  return *plot_;
}

void CorrectionTools::ViewCorrectionData() {
  ShowTool(&panel_, &Plot());
}

int CorrectionTools::AberrationLoad() {
  const QString path = AskPath(false, "Chromatic Aberration Data (*.csv) | *.csv");
  if (path.isEmpty()) return 0;
  InputGuard guard(&panel_);
  ui_.BeginBusy();
  const int ok = LoadAberrationFile(panel_.Cmd(), path.toStdString());
  ui_.EndBusy();
  RememberFolder(path);
  return ShowOutcome(ui_, ok, panel_.Cmd().LastFailure(), kAberrationLoadedText);
}

int CorrectionTools::AberrationSave() {
  const QString path = AskPath(true, "Chromatic Aberration Data (*.csv) | *.csv");
  if (path.isEmpty() || !ConfirmOverwrite(ui_, path.toStdString())) return 0;
  InputGuard guard(&panel_);
  ui_.BeginBusy();
  const int ok = SaveAberrationFile(panel_.Cmd(), path.toStdString());
  ui_.EndBusy();
  RememberFolder(path);
  return ShowOutcome(ui_, ok, panel_.Cmd().LastFailure(), kAberrationSavedText);
}

void CorrectionTools::BlemishStart(BlemishColumn column) {
  if (BlemishDetect(panel_.Cmd(), column) != 1) {
    ui_.Show(panel_.Cmd().LastFailure());
    return;
  }
  // Which sensor, and what the detection put into its list.
  std::vector<int> found;
  if (ReadBlemishList(panel_.Cmd(), column, found) == 1)
    ui_.Report(BlemishFoundText(column, found), MsgIcon::Information);
  else
    ui_.Show(panel_.Cmd().LastFailure());
}

void CorrectionTools::BlemishRead(BlemishColumn column) {
  int value = 0;
  if (BlemishReadPosition(panel_.Cmd(), column, value))
    panel_.View().SetText(PositionControlOf(column), std::to_string(value));
}

void CorrectionTools::BlemishWrite(BlemishColumn column) {
  const int ok =
      BlemishWritePosition(panel_.Cmd(), column, panel_.View().Text(PositionControlOf(column)));
  const bool sensor2 = column == BlemishColumn::User2 || column == BlemishColumn::Factory2;
  ShowOutcome(ui_, ok, panel_.Cmd().LastFailure(),
              tr("Sensor%1: the position is written into the camera's blemish list.")
                  .arg(sensor2 ? 2 : 1)
                  .toStdString());
}

}  // namespace kestrel
