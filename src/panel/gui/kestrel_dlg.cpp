#include "panel/gui/kestrel_dlg.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include "base/settings.h"
#include "gui/gen.h"
#include "gui/link_lamp.h"
#include "gui/prog_dlg.h"
#include "gui/qt_user_interface.h"
#include "gui/translation.h"
#include "gui/window_placement.h"
#include "panel/gui/bound_widgets.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

// Keeps the depth counter right on every way out of an operation.
struct DepthGuard {
  explicit DepthGuard(int& d) : depth(d) { ++depth; }
  ~DepthGuard() { --depth; }
  int& depth;
};

// The scroll area of the panel's groups. It asks for room for all of its
// content, so the window opens as large as the groups need where the screen
// allows, and scrolls only where it does not.
class ContentScroll : public QScrollArea {
 public:
  ContentScroll() {
    setObjectName("panelScroll");
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
  }
  QSize sizeHint() const override {
    if (!widget()) return QScrollArea::sizeHint();
    const int f = 2 * frameWidth();
    return widget()->sizeHint() + QSize(f, f);
  }
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
  table_.SetReporter(ui_);
  setObjectName("kestrelPanel");
  setWindowTitle(Title());
  // Every window of the program shows the application's icon.
  QApplication::setWindowIcon(AppIcon());

  BuildMenus();
  // The panel's groups scroll inside the window, so every part of them can be
  // reached on a laptop screen; the status strip stays in sight below them.
  auto* content = new QWidget;
  content->setObjectName("panelContent");
  auto* v = new QVBoxLayout(content);
  v->setContentsMargins(6, 6, 6, 6);
  v->setSpacing(6);
  userArea_ = BuildUserArea();
  v->addWidget(userArea_);
  factoryArea_ = BuildFactoryArea();
  v->addWidget(factoryArea_);
  v->addStretch(1);
  scroll_ = new ContentScroll;
  scroll_->setWidget(content);
  auto* central = new QWidget;
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  outer->addWidget(scroll_, 1);
  auto* bars = new QVBoxLayout;
  bars->setContentsMargins(0, 0, 0, 0);
  userBar_ = new LinkLamp(ctrl::SeparatorUser);
  factoryBar_ = new LinkLamp(ctrl::SeparatorFactory);
  userBar_->SetMode(tr("USER mode"));
  factoryBar_->SetMode(tr("FACTORY mode"));
  bars->addWidget(userBar_);
  bars->addWidget(factoryBar_);
  // Connect while offline, Cancel while looking, hidden while online.
  connectButton_ = new QPushButton(tr("Connect"));
  connectButton_->setObjectName("buttonConnect");
  connect(connectButton_, &QPushButton::clicked, this, [this] {
    if (Searching())
      CancelSearch();
    else
      Connect();
  });
  auto* strip = new QHBoxLayout;
  strip->setContentsMargins(6, 4, 6, 6);
  strip->addLayout(bars, 1);
  strip->addWidget(connectButton_, 0, Qt::AlignVCenter);
  outer->addLayout(strip);
  setCentralWidget(central);
  const bool factory = Config().operatingMode == kModeFactory;
  factoryArea_->setVisible(factory);
  userBar_->setVisible(!factory);
  factoryBar_->setVisible(factory);
  // The panel's size is remembered apart for each mode: the FACTORY layout is
  // twice as tall as the USER one.
  setProperty(WindowPlacement::kPlacementKey, PlacementKey());
  placement_ = new WindowPlacement(this, Config().windowGeometry);
  FitToContent();

  view_.Alias(ctrl::LRSpin, ctrl::LR);
  view_.Alias(ctrl::ALSpin, ctrl::AL);
  view_.Alias(ctrl::PESpin, ctrl::PE);
  view_.Alias(ctrl::LR2Spin, ctrl::LR2);
  view_.Alias(ctrl::AL2Spin, ctrl::AL2);
  view_.Alias(ctrl::PE2Spin, ctrl::PE2);
  view_.Alias(ctrl::GMA1Spin, ctrl::GMA1);
  view_.Alias(ctrl::GMA2Spin, ctrl::GMA2);
  view_.Register(ctrl::FactoryGroup, factoryArea_);
  view_.SetStatusSink([this](const QString& note) {
    userBar_->SetNote(note);
    factoryBar_->SetNote(note);
  });
  view_.Register(ctrl::SeparatorUser, userBar_);
  view_.Register(ctrl::SeparatorFactory, factoryBar_);
  WireWidgets();

  ui_.SetOwner(this);
  connect(&ui_, &QtUserInterface::linkStateChanged, this, &CKestrelDlg::SetLinkState);
  SetLinkState(ui_.LinkState());

  pollTimer_.setInterval(kPollMs);
  connect(&pollTimer_, &QTimer::timeout, this, &CKestrelDlg::PollTick);
  simulationTimer_.setInterval(kSimulationMs);
  connect(&simulationTimer_, &QTimer::timeout, this, &CKestrelDlg::SimulationTick);
  searchTimer_.setSingleShot(true);
  connect(&searchTimer_, &QTimer::timeout, this, &CKestrelDlg::SearchTick);

  connectAction_ = new QAction(tr("&Connect"), this);
  connectAction_->setObjectName("actionConnect");
  connect(connectAction_, &QAction::triggered, this, &CKestrelDlg::Connect);
  if (QAction* reread = MenuAction("actionReread"))
    if (auto* menu = qobject_cast<QMenu*>(reread->parent()))
      menu->insertAction(reread, connectAction_);

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
  searchTimer_.stop();
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
    table_.AttachView(&view_);
    ApplyModeLayout();
  });
  ShowNoCamera();
  pollTimer_.start();
  activateWindow();
  firstSearch_ = true;
  StartSearch(true);
  // The window keeps answering while the first search runs: its steps come
  // from this loop like any other event.
  if (Searching() && firstSearch_) {
    QEventLoop loop;
    startLoop_ = &loop;
    loop.exec();
    startLoop_ = nullptr;
  }
  firstSearch_ = false;
  if (Config().simulation == 1) simulationTimer_.start();
  return connected_;
}

void CKestrelDlg::Connect() {
  if (connected_ || InOperation()) return;
  searchPauseMs_ = 0;
  StartSearch(true);
}

void CKestrelDlg::CancelSearch() {
  if (!Searching()) return;
  searchTimer_.stop();
  connection_.StopSearch();
  search_ = SearchState::Idle;
  firstSearch_ = false;
  if (startLoop_) startLoop_->quit();
  UpdateConnectControls();
}

void CKestrelDlg::StartSearch(bool patient) {
  searchTimer_.stop();
  // The first search tries the port even when it is missing, so a start on
  // a port that cannot be opened says why in a box.
  if (!firstSearch_ && !connection_.DevicePresent()) {
    // Nothing to open yet (an unplugged adapter, a simulator not started):
    // look for the device again shortly.
    search_ = SearchState::Pausing;
    searchTimer_.start(kReconnectMs);
  } else {
    connection_.BeginSearch(patient);
    search_ = SearchState::Probing;
    searchTimer_.start(0);
  }
  UpdateConnectControls();
}

void CKestrelDlg::PauseSearch(int ms) {
  search_ = SearchState::Pausing;
  searchTimer_.start(ms);
  UpdateConnectControls();
}

void CKestrelDlg::SearchTick() {
  if (search_ == SearchState::Pausing) {
    StartSearch(false);
    return;
  }
  if (search_ != SearchState::Probing) return;
  // Another exchange waits for its reply (a tool, the Communication dialog):
  // the search takes its next step after it.
  if (InOperation()) {
    searchTimer_.start(kSearchStepMs);
    return;
  }
  Connection::Search result = Connection::Search::Looking;
  {
    DepthGuard guard(operationDepth_);
    result = connection_.SearchStep();
  }
  if (result == Connection::Search::Looking) {
    searchTimer_.start(kSearchStepMs);
    return;
  }
  if (result == Connection::Search::Found) {
    CameraFound();
    return;
  }
  // No camera: a port that cannot be opened is told at start-up; after that
  // the status strip says why while the panel keeps looking, less and less
  // often.
  // The pause starts before the box, so looking goes on while it is open.
  searchPauseMs_ = std::min(std::max(2 * searchPauseMs_, kReconnectMs), kSearchBackoffMaxMs);
  PauseSearch(searchPauseMs_);
  if (firstSearch_) {
    firstSearch_ = false;
    if (startLoop_) startLoop_->quit();
    ui_.Show(connection_.LastFailure());
  }
}

void CKestrelDlg::CameraFound() {
  search_ = SearchState::Idle;
  searchPauseMs_ = 0;
  bool moved = false;
  Operation([this, &moved] {
    moved = connection_.MoveTo115200();
    if (!moved) return;
    connected_ = true;
    ui_.SetLinkState(1);
    // Every control shows the camera's value again, even one whose stored
    // value did not change while the panel had no camera.
    table_.AttachView(&view_);
    // As at every start: the mode's layout once the link is known (the
    // Communication dialog takes the speed in use from it).
    ApplyModeLayout();
    RefreshFromCamera();
    if (!connection_.Note().empty()) view_.ReportStatus(connection_.Note());
    userArea_->setEnabled(true);
    factoryArea_->setEnabled(true);
    table_.ApplyGainRangeRule();
    table_.ApplyLineRateRule();
    table_.ApplyExposureRule();
    table_.UpdateTimeDisplays();
  });
  // A switch left unanswered (the camera may have switched anyway) or a device
  // lost during it: nothing is read; say why and stop looking until the
  // person asks again.
  if (!moved) ui_.Show(connection_.LastFailure());
  firstSearch_ = false;
  if (startLoop_) startLoop_->quit();
  UpdateConnectControls();
}

void CKestrelDlg::ShowNoCamera() {
  connected_ = false;
  userArea_->setEnabled(false);
  factoryArea_->setEnabled(false);
  // Start values are not the camera's: the controls show nothing until a
  // camera has been read.
  for (const auto& [id, w] : view_.Widgets()) {
    if (!w || (!userArea_->isAncestorOf(w) && !factoryArea_->isAncestorOf(w))) continue;
    const QSignalBlocker block(w.data());
    if (auto* list = qobject_cast<ListBox*>(w))
      list->setCurrentIndex(-1);
    else if (auto* spin = qobject_cast<SpinEdit*>(w))
      spin->SetBoxText({});
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
      edit->clear();
    else if (auto* check = qobject_cast<QCheckBox*>(w))
      check->setChecked(false);
    else if (auto* label = qobject_cast<QLabel*>(w))
      label->clear();
  }
}

void CKestrelDlg::UpdateConnectControls() {
  const bool looking = Searching();
  connectButton_->setVisible(!connected_);
  connectButton_->setText(looking ? tr("Cancel") : tr("Connect"));
  connectButton_->setToolTip(looking ? tr("Stop looking for the camera")
                                     : tr("Look for the camera on %1 now")
                                           .arg(QString::fromStdString(connection_.PortName())));
  connectAction_->setEnabled(!connected_);
  const QString note = looking ? tr("Looking for the camera on %1\u2026")
                                     .arg(QString::fromStdString(connection_.PortName()))
                               : QString();
  if (looking || userBar_->Note().startsWith(tr("Looking for the camera"))) {
    userBar_->SetNote(note);
    factoryBar_->SetNote(note);
  }
  UpdateStatusDetail();
}

QString CKestrelDlg::PortDescription() const {
  const Settings& s = cmd_.Config();
  QString port = s.serialMode != 0 ? QString("Camera Link port %1").arg(s.dllNo)
                                   : (s.commDevice.empty() ? QString("COM%1").arg(s.commPort + 1)
                                                           : QString::fromStdString(s.commDevice));
  return QString("%1  %2 bit/s").arg(port).arg(BaudOfIndex(s.baudRate));
}

void CKestrelDlg::UpdateStatusDetail() {
  QString detail = portNote_.isEmpty() ? PortDescription() : portNote_ + " " + PortDescription();
  // Why there is no camera: the port's cause and cure, or the speeds tried;
  // its first line in the strip, all of it in the strip's tooltip.
  QString why;
  if (ui_.LinkState() != 1 && !connection_.Failure().empty()) {
    why = QString::fromStdString(connection_.Failure());
    detail += "  \u2014  " + why.section('\n', 0, 0);
  }
  userBar_->SetDetail(detail, why);
  factoryBar_->SetDetail(detail, why);
}

void CKestrelDlg::FileDone(const QString& path, const QString& what) {
  currentFile_ = path;
  setWindowTitle(QFileInfo(path).fileName() + QString::fromUtf8(" \u2014 ") + Title());
  std::vector<std::string>& recent = Config().recentFiles;
  const std::string file = path.toStdString();
  recent.erase(std::remove(recent.begin(), recent.end(), file), recent.end());
  recent.insert(recent.begin(), file);
  if (recent.size() > kRecentFiles) recent.resize(kRecentFiles);
  userBar_->SetNote(what);
  factoryBar_->SetNote(what);
}

void CKestrelDlg::FillRecentMenu() {
  recentMenu_->clear();
  int n = 0;
  for (const std::string& file : Config().recentFiles) {
    const QString path = QString::fromStdString(file);
    QAction* a = recentMenu_->addAction(QString("&%1 %2").arg(++n).arg(QFileInfo(path).fileName()),
                                        this, [this, path] { emit openRecentRequested(path); });
    a->setToolTip(path);
    a->setEnabled(QFileInfo(path).isFile() && MenuAction("actionOpen") &&
                  MenuAction("actionOpen")->isEnabled());
  }
  if (n == 0) recentMenu_->addAction(tr("No recent files"))->setEnabled(false);
}

void CKestrelDlg::OpenManual() {
  // Installed beside the program (share/doc/kestrel), or the source tree's.
  const QString dir = QCoreApplication::applicationDirPath();
  for (const QString& candidate :
       {dir + "/../share/doc/kestrel/README.md", QStringLiteral(KESTREL_SOURCE_DIR "/README.md")}) {
    if (QFileInfo(candidate).isFile()) {
      QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(candidate).absoluteFilePath()));
      return;
    }
  }
  ui_.Report(
      tr("The manual was not found: it is installed as share/doc/kestrel/README.md.").toStdString(),
      MsgIcon::Warning);
}

void CKestrelDlg::RefreshFromCamera() {
  userBar_->SetNote({});
  factoryBar_->SetNote({});
  table_.RefreshFromCamera();
  // Values that could not be read outweigh a link that answers.
  userBar_->SetProblem(QString::fromStdString(table_.ReadSummary()));
  factoryBar_->SetProblem(QString::fromStdString(table_.ReadSummary()));
  // A camera reached by hand (the Communication dialog's port or speed) ends
  // the search like one the search found.
  if (!connected_ && ui_.LinkState() == 1 && RepliesInLastRefresh() > 0) {
    connected_ = true;
    searchTimer_.stop();
    search_ = SearchState::Idle;
    connection_.StopSearch(false);
    userArea_->setEnabled(true);
    factoryArea_->setEnabled(true);
    UpdateConnectControls();
  }
}

void CKestrelDlg::ReadCameraAgain() {
  // Without a camera F5 looks for one rather than reading a dead line.
  if (!connected_) {
    Connect();
    return;
  }
  if (isEnabled()) Operation([this] { RefreshFromCamera(); });
}

void CKestrelDlg::ApplyModeLayout() {
  const bool factory = Config().operatingMode == kModeFactory;
  userBar_->setVisible(!factory);
  factoryBar_->setVisible(factory);
  factoryArea_->setVisible(factory);
  table_.SendChangedParams();
  table_.SaveBaseline();
  emit modeChanged(Config().operatingMode);
}

void CKestrelDlg::FitToContent() {
  // Before the first showing the window manager's frame is not known yet:
  // leave room for a title bar.
  const QSize frame = isVisible() ? frameGeometry().size() - size()
                                  : QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
  // The five columns of user groups where the screen is wide enough for
  // them, else the narrow arrangement.
  // A few pixels to spare for a frame not known before the first showing.
  const int room = placement_->AvailableArea().width() - frame.width() - 8;
  auto arrange = [this](bool narrow) {
    ArrangeUserArea(narrow);
    // Hints are cached along the chain of layouts up to the window.
    userArea_->layout()->invalidate();
    userArea_->updateGeometry();
    scroll_->widget()->layout()->invalidate();
    scroll_->widget()->updateGeometry();
    scroll_->widget()->layout()->activate();
    scroll_->updateGeometry();
    centralWidget()->layout()->activate();
    centralWidget()->updateGeometry();
    layout()->activate();
  };
  arrange(false);
  if (scroll_->widget()->minimumSizeHint().width() > room) arrange(true);
  QRect want(frameGeometry().topLeft(), sizeHint() + frame);
  // Groups taller than the screen scroll down: room for the scroll bar, so
  // that they need not scroll sideways too.
  if (want.height() > placement_->AvailableArea().height())
    want.setWidth(want.width() + 2 * style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  const QRect fitted = FitInto(want, placement_->AvailableArea());
  resize(fitted.size() - frame);
  if (isVisible()) move(fitted.topLeft());
}

QString CKestrelDlg::PlacementKey() const {
  return cmd_.Config().operatingMode == kModeFactory ? "kestrelPanel.FACTORY" : "kestrelPanel.USER";
}

void CKestrelDlg::ToggleMode() {
  Settings& s = Config();
  s.operatingMode = s.operatingMode == kModeFactory ? kModeUser : kModeFactory;
  s.activeMode = s.operatingMode == kModeFactory ? "FACTORY" : "USER";
  ApplyModeLayout();
  // The window takes the size last used in the new mode; the first time, it
  // grows by the factory area and shrinks back, as far as the screen allows.
  if (!placement_->SwitchKey(this, PlacementKey())) FitToContent();
  int area = 0;
  // Without a camera there is nothing to read (and a search may own the port).
  if (connected_ && cmd_.QueryInt(cmd::EA, area, 1000)) {
    connection_.SetCurrentArea(area);
    RefreshFromCamera();
  }
}

void CKestrelDlg::Busy(bool on) {
  setEnabled(!on);
  emit busyChanged(on);
}

void CKestrelDlg::ShowProgress(const QString& text) {
  CProgDlg& progress = ui_.Progress();
  progress.ShowProgress(this);
  progress.SetMessage(text);
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
  // Every reconnection may have changed the port or the speed.
  UpdateStatusDetail();
}

bool CKestrelDlg::InOperation() const {
  // A tool's exchange that pumps while it waits, and an operation that owns
  // the link, count as well.
  return operationDepth_ > 0 || cmd_.InExchange() || cmd_.LinkOwned();
}

void CKestrelDlg::PollTick() {
  // Transactions wait inside the pump; the timer must not take their replies,
  // nor the answers a search waits for.
  if (InOperation() || !isEnabled() || Searching()) return;
  DepthGuard guard(operationDepth_);
  cmd_.Poll();
  // An unplugged adapter or a camera that hung up shows at once, not only
  // when the next transaction times out; the panel then looks for the camera
  // as it does at start-up until it answers again.
  if (!cmd_.LinkLost() || !connected_) return;
  ui_.SetLinkState(0);
  ShowNoCamera();
  searchPauseMs_ = 0;
  StartSearch(false);
}

void CKestrelDlg::SimulationTick() {
  if (InOperation() || Searching()) return;
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
        // The first Escape takes back typing not yet committed (nothing is
        // sent); only an Escape with nothing to take back asks to quit.
        if (!RevertUncommittedEdit(w)) close();
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
  if (askOnExit_ &&
      ui_.Report(tr("Quit Kestrel?").toStdString(), MsgIcon::Question, MsgButtons::YesNo,
                 tr("Exit Kestrel").toStdString()) != MsgAnswer::Yes) {
    e->ignore();
    return;
  }
  pollTimer_.stop();
  simulationTimer_.stop();
  CancelSearch();
  placement_->RememberShown();
  e->accept();
}

}  // namespace kestrel
