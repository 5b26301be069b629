#include "panel/gui/kestrel_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/gen.h"
#include "gui/link_indicator.h"
#include "gui/prog_dlg.h"
#include "gui/qt_user_interface.h"
#include "panel/gui/bound_widgets.h"
#include "protocol/cam_cmd.h"
#include "protocol/settings.h"

namespace kestrel {

namespace {

// Keeps the depth counter right on every way out of an operation.
struct DepthGuard {
  explicit DepthGuard(int& d) : depth(d) { ++depth; }
  ~DepthGuard() { --depth; }
  int& depth;
};

}  // namespace

template <class F>
void CKestrelDlg::Operation(F&& f) {
  // A message box inside a change chain moves the focus out of the edit box
  // that started it; that focus loss must not start a second chain that
  // re-sends the value the first one is still reporting on.
  // Nor may it start while a tool's transfer or routine owns the link.
  if (InOperation()) return;
  DepthGuard guard(operationDepth_);
  CCamCmd::LinkOwner owner(cmd_);
  f();
}

QString CKestrelDlg::Title() {
  return "HX-9302 Kestrel    Version 0.0.5.6";
}

CKestrelDlg::CKestrelDlg(CCamCmd& cmd, QtUserInterface& ui, Connection::Timing timing,
                         QWidget* parent)
    : QMainWindow(parent), cmd_(cmd), ui_(ui), table_(cmd), connection_(cmd, timing) {
  setObjectName("kestrelPanel");
  setWindowTitle(Title());
  QApplication::setWindowIcon(QIcon(":/kestrel/kestrel.png"));
  setWindowIcon(QIcon(":/kestrel/kestrel.png"));

  BuildMenus();
  auto* central = new QWidget;
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(10, 8, 10, 8);
  v->setSpacing(6);
  userArea_ = BuildUserArea();
  v->addWidget(userArea_);
  userBar_ = new LinkIndicator(ctrl::SeparatorUser);
  v->addWidget(userBar_);
  factoryArea_ = BuildFactoryArea();
  v->addWidget(factoryArea_);
  factoryBar_ = new LinkIndicator(ctrl::SeparatorFactory);
  v->addWidget(factoryBar_);
  setCentralWidget(central);
  // The window always fits its content exactly: the mode layout grows and
  // shrinks it by the factory area.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  view_.Alias(ctrl::LRSpin, ctrl::LR);
  view_.Alias(ctrl::ALSpin, ctrl::AL);
  view_.Alias(ctrl::PESpin, ctrl::PE);
  view_.Alias(ctrl::LR2Spin, ctrl::LR2);
  view_.Alias(ctrl::AL2Spin, ctrl::AL2);
  view_.Alias(ctrl::PE2Spin, ctrl::PE2);
  view_.Alias(ctrl::GMA1Spin, ctrl::GMA1);
  view_.Alias(ctrl::GMA2Spin, ctrl::GMA2);
  view_.Register(ctrl::FactoryGroup, factoryArea_);
  view_.Register(ctrl::SeparatorUser, userBar_);
  view_.Register(ctrl::SeparatorFactory, factoryBar_);
  WireWidgets();

  ui_.SetOwner(this);
  connect(&ui_, &QtUserInterface::linkStateChanged, this, &CKestrelDlg::SetLinkState);
  connect(&ui_, &QtUserInterface::logLine, this, [this](const QString& line) {
    if (countingReplies_ && line.startsWith("Rx: ")) ++repliesInRefresh_;
  });
  SetLinkState(ui_.LinkState());

  pollTimer_.setInterval(kPollMs);
  connect(&pollTimer_, &QTimer::timeout, this, &CKestrelDlg::PollTick);
  simulationTimer_.setInterval(kSimulationMs);
  connect(&simulationTimer_, &QTimer::timeout, this, &CKestrelDlg::SimulationTick);

  qApp->installEventFilter(this);
}

CKestrelDlg::~CKestrelDlg() {
  qApp->removeEventFilter(this);
  // The child widgets outlive this body: a focus change while they are torn
  // down must not reach the handlers of a panel that is already gone.
  for (QObject* child : findChildren<QObject*>())
    QObject::disconnect(child, nullptr, this, nullptr);
  QObject::disconnect(&ui_, nullptr, this, nullptr);
  pollTimer_.stop();
  simulationTimer_.stop();
  table_.AttachView(nullptr);
  if (ui_.Owner() == this) ui_.SetOwner(nullptr);
  // The window's end closes the link.
  cmd_.ClosePort();
}

Settings& CKestrelDlg::Config() {
  return cmd_.Config();
}

void CKestrelDlg::WireWidgets() {
  for (const auto& [id, w] : view_.Widgets()) {
    if (auto* list = qobject_cast<ListBox*>(w)) {
      connect(list, &ListBox::selectionChanged, this, &CKestrelDlg::OnSelection);
    } else if (auto* spin = qobject_cast<SpinEdit*>(w)) {
      connect(spin, &SpinEdit::spinDelta, this, &CKestrelDlg::OnSpinDelta);
      connect(spin, &SpinEdit::committed, this, &CKestrelDlg::OnCommit);
    } else if (auto* edit = qobject_cast<TextEdit*>(w)) {
      connect(edit, &TextEdit::committed, this, &CKestrelDlg::OnCommit);
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
      const uint32_t checkId = id;
      connect(check, &QCheckBox::clicked, this,
              [this, checkId](bool checked) { OnCheck(checkId, checked); });
    }
  }
  for (uint32_t id : {ctrl::AutoLineRate1, ctrl::AutoLineRate2, ctrl::ChannelBalanceShutter,
                      ctrl::ChannelBalanceGain}) {
    if (auto* b = view_.As<QPushButton>(id))
      connect(b, &QPushButton::clicked, this, [this, id] { OnAutoButton(id); });
  }
}

bool CKestrelDlg::Initialise() {
  setWindowTitle(Title());
  Operation([this] {
    connected_ = connection_.NegotiateAndConnect();
    table_.AttachView(&view_);
    if (Config().simulation == 1) simulationTimer_.start();
    ApplyModeLayout();
    if (connected_) RefreshFromCamera();
    setEnabled(true);
    table_.ApplyGainRangeRule();
    table_.ApplyLineRateRule();
    table_.ApplyExposureRule();
    table_.UpdateTimeDisplays();
  });
  UpdateStatusDetail();
  pollTimer_.start();
  activateWindow();
  return connected_;
}

QString CKestrelDlg::PortDescription() const {
  const Settings& s = cmd_.Config();
  QString port = s.serialMode != 0 ? QString("Camera Link port %1").arg(s.dllNo)
                                   : (s.commDevice.empty() ? QString("COM%1").arg(s.commPort + 1)
                                                           : QString::fromStdString(s.commDevice));
  return QString("%1  %2 bit/s").arg(port).arg(BaudOfIndex(s.baudRate));
}

void CKestrelDlg::UpdateStatusDetail() {
  const QString detail =
      portNote_.isEmpty() ? PortDescription() : portNote_ + " " + PortDescription();
  userBar_->SetDetail(detail);
  factoryBar_->SetDetail(detail);
}

void CKestrelDlg::RefreshFromCamera() {
  repliesInRefresh_ = 0;
  countingReplies_ = true;
  table_.RefreshFromCamera();
  countingReplies_ = false;
}

void CKestrelDlg::ApplyModeLayout() {
  const bool factory = Config().operatingMode == kModeFactory;
  userBar_->setVisible(!factory);
  factoryBar_->setVisible(factory);
  factoryArea_->setVisible(factory);
  table_.SendChangedParams();
  table_.SaveBaseline();
  // The fixed-size constraint resizes the window to the new content; keep
  // its top-left corner where it was.
  const QPoint topLeft = pos();
  centralWidget()->layout()->activate();
  layout()->activate();
  move(topLeft);
  emit modeChanged(Config().operatingMode);
}

void CKestrelDlg::ToggleMode() {
  Settings& s = Config();
  s.operatingMode = s.operatingMode == kModeFactory ? kModeUser : kModeFactory;
  s.activeMode = s.operatingMode == kModeFactory ? "FACTORY" : "USER";
  ApplyModeLayout();
  int area = 0;
  if (cmd_.QueryInt(cmd::EA, area, 1000, 0, 1)) {
    connection_.SetCurrentArea(area);
    RefreshFromCamera();
  }
}

void CKestrelDlg::Busy(bool on) {
  setEnabled(!on);
  emit busyChanged(on);
}

void CKestrelDlg::PumpMessages(int n) {
  for (int i = 0; i < n; ++i)
    CGen::PumpOneMessage();
}

void CKestrelDlg::ShowProgress(const QString& text) {
  CProgDlg& progress = ui_.Progress();
  progress.ShowProgress(this);
  progress.SetMessage(text);
}

void CKestrelDlg::FinishProgress() {
  CProgDlg& progress = ui_.Progress();
  if (!progress.isVisible()) return;
  progress.SetPercent(100);
  // Windows keep painting during the second; the user's input waits.
  QEventLoop pause;
  QTimer::singleShot(1000, &pause, &QEventLoop::quit);
  pause.exec(QEventLoop::ExcludeUserInputEvents);
  activateWindow();
  progress.CloseProgress();
}

void CKestrelDlg::OnSelection(uint32_t id) {
  Operation([&] { table_.OnSelectionChanged(id); });
}

void CKestrelDlg::OnSpinDelta(uint32_t id, int delta) {
  Operation([&] {
    if (!table_.OnSpinDelta(id, delta))
      if (auto* spin = view_.As<SpinEdit>(id)) spin->DefaultStep(delta);
  });
}

void CKestrelDlg::OnCommit(uint32_t id, EditCommit how) {
  // Focus that leaves while the window is being closed or disabled for an
  // operation is no user's commit.
  if (!isEnabled()) return;
  Operation([&] {
    table_.OnEditCommitted(id, how == EditCommit::Enter ? BindingTable::Commit::Enter
                                                        : BindingTable::Commit::FocusLoss);
  });
}

void CKestrelDlg::OnCheck(uint32_t id, bool checked) {
  Operation([&] { table_.OnCheckToggled(id, checked); });
}

void CKestrelDlg::OnAutoButton(uint32_t id) {
  Operation([&] { table_.RunAutoCommand(id); });
}

void CKestrelDlg::SetLinkState(int online) {
  userBar_->SetState(online);
  factoryBar_->SetState(online);
}

bool CKestrelDlg::InOperation() const {
  return operationDepth_ > 0 || cmd_.LinkOwned();
}

void CKestrelDlg::PollTick() {
  // Transactions wait inside the pump; the timer must not take their replies.
  if (InOperation() || !isEnabled()) return;
  DepthGuard guard(operationDepth_);
  cmd_.Poll();
  // An unplugged adapter or a camera that hung up shows at once, not only
  // when the next transaction times out.
  if (cmd_.LinkLost() && ui_.LinkState() == 1) ui_.SetLinkState(0);
}

void CKestrelDlg::SimulationTick() {
  if (InOperation()) return;
  DepthGuard guard(operationDepth_);
  kestrel::SimulationTick(cmd_, table_, connection_.CurrentArea());
}

bool CKestrelDlg::FilterModeKey(int key, Qt::KeyboardModifiers mods) {
  if (key == Qt::Key_F12 && (mods & Qt::ShiftModifier) && (mods & Qt::ControlModifier)) {
    keyState_ = 1;
    return false;  // the F12 press itself goes on as usual
  }
  if (keyState_ == 0) return false;
  // Pressing Shift or Control on the way to the letters is not a wrong key.
  if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta)
    return true;
  if (key == kModeKeys[keyState_ - 1]) {
    ++keyState_;
    if (keyState_ == 4) {
      keyState_ = 0;
      Operation([this] { ToggleMode(); });
    }
  } else {
    keyState_ = 0;
  }
  return true;
}

bool CKestrelDlg::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* w = qobject_cast<QWidget*>(watched);
    // Each key press is judged once, where it is first delivered: at the focus
    // widget of the panel (or the panel itself when nothing has the focus).
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    if (w && w == target && w->window() == this) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (FilterModeKey(k->key(), k->modifiers())) return true;
      if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier) {
        close();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void CKestrelDlg::closeEvent(QCloseEvent* e) {
  // A close request that arrives through the pump of a running operation
  // (the window manager's close box of a disabled window) waits for its end.
  if (InOperation()) {
    e->ignore();
    return;
  }
  if (askOnExit_ && ui_.MessageBox("Are you sure to terminate the Kestrel ?", MsgIcon::Question,
                                   MsgButtons::YesNo, "Exit Kestrel") != MsgAnswer::Yes) {
    e->ignore();
    return;
  }
  pollTimer_.stop();
  simulationTimer_.stop();
  e->accept();
}

}  // namespace kestrel
