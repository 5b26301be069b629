#include "panel/gui/comm_select_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "base/file_messages.h"
#include "base/text_file.h"
#include "gui/file_dialog.h"
#include "gui/link_lamp.h"
#include "gui/qt_user_interface.h"
#include "link/cl_serial.h"
#include "link/net_port.h"
#include "panel/areas.h"
#include "panel/comm_select.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/panel_commands.h"
#include "protocol/cam_cmd.h"
#include "settings/settings_store.h"

namespace kestrel {

namespace {

const char* const kCategories[] = {"Com Port", "Camera Link spec. 2000", "Camera Link spec. 2001",
                                   "Camera Link spec. ver.1.1"};
const char* const kBauds[] = {" 9600bps", " 19200bps", " 38400bps", " 57600bps", " 115200bps"};
const char* const kAreas[] = {"Factory Data", "User 1 Data", "User 2 Data"};

QComboBox* MakeList(const char* name) {
  auto* c = new QComboBox;
  c->setObjectName(name);
  c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return c;
}

QPushButton* MakeButton(const QString& text, const char* name) {
  auto* b = new QPushButton(text);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

// Serial devices other than the numbered COM ports that are worth offering:
// USB adapters and on-board ACM ports. Pseudo-terminals (the simulator) are
// offered when they are the configured device, and any path can be typed.
QStringList DevicePaths() {
  QStringList out;
  const QDir dev("/dev");
  for (const QString& f :
       dev.entryList({"ttyUSB*", "ttyACM*"}, QDir::System | QDir::Files, QDir::Name))
    out << dev.filePath(f);
  return out;
}

// The category of a "Serial Mode": every value but 0, 1 and 2 acts as the
// third library kind, as the adapter treats it.
int CategoryOf(int serialMode) {
  return serialMode >= 0 && serialMode <= 2 ? serialMode : 3;
}

}  // namespace

CCommSelDlg::CCommSelDlg(CKestrelDlg& panel, QtUserInterface& ui, CClSerial& cameraLink,
                         SettingsPanel& panelSide, const std::string& configPath)
    : QDialog(&panel),
      panel_(panel),
      ui_(ui),
      cameraLink_(cameraLink),
      panelSide_(panelSide),
      configPath_(configPath) {
  {
    // A run that did not end normally starts on the COM port.
    SettingsStore store(configPath_);
    GuardStartup(panel_.Config(), store);
  }

  setObjectName("commSelDlg");
  setWindowTitle(tr("Communication"));

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(10, 10, 10, 6);
  top->setSpacing(8);
  auto* columns = new QHBoxLayout;
  columns->setSpacing(10);
  top->addLayout(columns);
  auto* left = new QVBoxLayout;
  left->setSpacing(8);
  columns->addLayout(left);

  // Line Status.
  {
    auto* g = new QGroupBox(tr("Line Status"));
    auto* h = new QHBoxLayout(g);
    stateIcon_ = new QLabel;
    stateIcon_->setObjectName("ctl2248");
    stateWord_ = new QLabel;
    stateWord_->setObjectName("ctl2249");
    QFont bold = stateWord_->font();
    bold.setBold(true);
    stateWord_->setFont(bold);
    h->addWidget(stateIcon_);
    h->addWidget(stateWord_, 1);
    serialIndexCaption_ = new QLabel(tr("Serial Index"));
    serialIndexCaption_->setObjectName("ctl3097");
    serialIndex_ = MakeList("ctl3228");
    for (int i = 0; i < 8; ++i)
      serialIndex_->addItem(QString::number(i));
    h->addWidget(serialIndexCaption_);
    h->addWidget(serialIndex_);
    serialIndexCaption_->hide();
    serialIndex_->hide();
    left->addWidget(g);
  }
  // Communication Port.
  {
    auto* g = new QGroupBox(tr("Communication Port"));
    auto* grid = new QGridLayout(g);
    grid->addWidget(new QLabel(tr("Category")), 0, 0);
    category_ = MakeList("ctl3023");
    for (const char* c : kCategories)
      category_->addItem(c);
    grid->addWidget(category_, 0, 1);
    portCaption_ = new QLabel(tr("Port Name"));
    portCaption_->setObjectName("ctl3086");
    grid->addWidget(portCaption_, 1, 0);
    port_ = MakeList("ctl3019");
    port_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    port_->setMinimumContentsLength(18);
    grid->addWidget(port_, 1, 1);
    baudCaption_ = new QLabel(tr("Baud Rate"));
    baudCaption_->setObjectName("ctl3091");
    grid->addWidget(baudCaption_, 2, 0);
    baud_ = MakeList("ctl3224");
    for (const char* b : kBauds)
      baud_->addItem(b);
    grid->addWidget(baud_, 2, 1);
    auto_ = MakeButton(tr("Auto"), "ctl2250");
    grid->addWidget(auto_, 2, 2);
    // The search probes sixteen ports for a second each; it stays out of the
    // way unless someone enables it.
    auto_->hide();
    auto_->setEnabled(false);
    // A camera behind a relay on another host (ser2net): RFC 2217 passes
    // speed changes on, raw TCP keeps the relay's speed.
    grid->addWidget(new QLabel("Network"), 3, 0);
    auto* net = new QHBoxLayout;
    netKind_ = MakeList("netKind");
    netKind_->addItems({"rfc2217://", "tcp://"});
    netHost_ = new QLineEdit;
    netHost_->setObjectName("netHost");
    netHost_->setPlaceholderText("host");
    netPort_ = new QSpinBox;
    netPort_->setObjectName("netPort");
    netPort_->setRange(1, 65535);
    netPort_->setValue(2000);
    QPushButton* netConnect = MakeButton("Connect", "netConnect");
    net->addWidget(netKind_);
    net->addWidget(netHost_, 1);
    net->addWidget(netPort_);
    grid->addLayout(net, 3, 1);
    grid->addWidget(netConnect, 3, 2);
    connect(netConnect, &QPushButton::clicked, this, &CCommSelDlg::OnNetworkConnect);
    connect(netHost_, &QLineEdit::returnPressed, this, &CCommSelDlg::OnNetworkConnect);
    keepSpeed_ = new QCheckBox("Keep the camera's speed");
    keepSpeed_->setObjectName("keepSpeed");
    keepSpeed_->setToolTip(
        "Never move the camera to 115200 bit/s; it stays at the speed it is "
        "found at");
    grid->addWidget(keepSpeed_, 4, 1, 1, 2);
    connect(keepSpeed_, &QCheckBox::toggled, this, &CCommSelDlg::OnKeepSpeed);
    grid->setColumnStretch(1, 1);
    left->addWidget(g);
  }
  // Files and Current Area side by side.
  {
    auto* row = new QHBoxLayout;
    auto* files = new QGroupBox(tr("Files"));
    auto* fv = new QVBoxLayout(files);
    QPushButton* write = MakeButton(tr("Save to File…"), "ctl2252");
    QPushButton* read = MakeButton(tr("Apply from File…"), "ctl2253");
    fv->addWidget(write);
    fv->addWidget(read);
    connect(write, &QPushButton::clicked, this, &CCommSelDlg::writeToFileRequested);
    connect(read, &QPushButton::clicked, this, &CCommSelDlg::readToFileRequested);
    row->addWidget(files);

    auto* area = new QGroupBox(tr("Current Area"));
    auto* av = new QVBoxLayout(area);
    areaLabel_ = new QLabel;
    areaLabel_->setObjectName("ctl2254");
    areaLabel_->setAlignment(Qt::AlignCenter);
    areaLabel_->setFrameShape(QFrame::Panel);
    areaLabel_->setFrameShadow(QFrame::Sunken);
    areaLabel_->setMinimumHeight(24);
    QPushButton* get = MakeButton(tr("Get Area"), "ctl2255");
    connect(get, &QPushButton::clicked, this, &CCommSelDlg::OnGetArea);
    av->addWidget(areaLabel_);
    av->addWidget(get);
    row->addWidget(area);
    left->addLayout(row);
  }
  // Factory And User Setting In Camera.
  {
    auto* g = new QGroupBox(tr("Factory And User Setting In Camera"));
    auto* h = new QHBoxLayout(g);
    areaList_ = MakeList("ctl2258");
    for (const char* a : kAreas)
      areaList_->addItem(a);
    store_ = MakeButton(tr("Store"), "ctl2256");
    store_->setEnabled(false);
    load_ = MakeButton(tr("Load"), "ctl2257");
    h->addWidget(areaList_, 1);
    h->addWidget(store_);
    h->addWidget(load_);
    connect(areaList_, &QComboBox::currentIndexChanged, this, &CCommSelDlg::ApplyStoreRule);
    connect(store_, &QPushButton::clicked, this, &CCommSelDlg::OnStore);
    connect(load_, &QPushButton::clicked, this, &CCommSelDlg::OnLoad);
    left->addWidget(g);
  }
  left->addStretch(1);

  // Kestrel Message.
  {
    auto* g = new QGroupBox(tr("Kestrel Message"));
    auto* v = new QVBoxLayout(g);
    messageView_ = new QListWidget;
    messageView_->setObjectName("ctl2259");
    messageView_->setSelectionMode(QAbstractItemView::NoSelection);
    messageView_->setUniformItemSizes(true);
    messageView_->setMinimumWidth(260);
    v->addWidget(messageView_, 1);
    auto* h = new QHBoxLayout;
    QPushButton* exportButton = MakeButton(tr("Save Messages…"), "ctl2260");
    QPushButton* clear = MakeButton(tr("Clear"), "ctl2261");
    h->addStretch(1);
    h->addWidget(exportButton);
    h->addWidget(clear);
    v->addLayout(h);
    connect(exportButton, &QPushButton::clicked, this, &CCommSelDlg::OnExport);
    connect(clear, &QPushButton::clicked, this, &CCommSelDlg::OnClear);
    columns->addWidget(g, 1);
  }

  auto* bottom = new QHBoxLayout;
  strip_ = new LinkLamp(2262);
  bottom->addWidget(strip_);
  bottom->addStretch(1);
  auto* ok = MakeButton(tr("OK"), "okButton");
  ok->hide();
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  bottom->addWidget(ok);
  top->addLayout(bottom);

  // The list mirrors the core list: every change is one line added at the top
  // (the oldest dropped beyond the bound) or the list emptied.
  messages_.SetListener([this] {
    const auto& lines = messages_.Lines();
    if (lines.empty()) {
      messageView_->clear();
      return;
    }
    messageView_->insertItem(0, QString::fromStdString(lines.front()));
    while (messageView_->count() > static_cast<int>(lines.size()))
      delete messageView_->takeItem(messageView_->count() - 1);
  });

  connect(category_, &QComboBox::activated, this, &CCommSelDlg::OnCategorySelected);
  connect(port_, &QComboBox::activated, this, &CCommSelDlg::OnPortSelected);
  connect(baud_, &QComboBox::activated, this, &CCommSelDlg::OnBaudSelected);
  connect(serialIndex_, &QComboBox::activated, this, &CCommSelDlg::OnSerialIndexSelected);
  connect(auto_, &QPushButton::clicked, this, &CCommSelDlg::OnAuto);
  connect(&ui_, &QtUserInterface::messageLine, this, &CCommSelDlg::AddMessage);
  connect(&ui_, &QtUserInterface::linkStateChanged, this, &CCommSelDlg::SetLinkState);
  connect(&panel_, &CKestrelDlg::modeChanged, this, [this] {
    ShowBaudControls();
    ApplyStoreRule();
  });

  // Initialisation of the window.
  SetLinkState(ui_.LinkState());
  Settings& s = panel_.Config();
  category_->setCurrentIndex(CategoryOf(s.serialMode));
  s.serialMode = category_->currentIndex();
  FillPorts();
  serialIndex_->setCurrentIndex(
      s.camLinkSerialIndex >= 0 && s.camLinkSerialIndex < 8 ? s.camLinkSerialIndex : 0);
  areaList_->setCurrentIndex(0);
  ShowBaudControls();
  ApplyCategoryRules();
  ApplyStoreRule();
  TakeSelections();
  // The relay last used, also while a local port is chosen.
  NetAddress relay;
  if (ParseNetAddress(s.networkPort, relay).empty()) {
    netKind_->setCurrentIndex(relay.comPort ? 0 : 1);
    netHost_->setText(QString::fromStdString(relay.host));
    netPort_->setValue(std::stoi(relay.port));
  }
  keepSpeed_->setChecked(s.keepCameraSpeed != 0);
}

CCommSelDlg::~CCommSelDlg() {
  SettingsStore store(configPath_);
  MarkNormalShutdown(store);
}

void CCommSelDlg::FillPorts() {
  Settings& s = panel_.Config();
  ports_ = kestrel::FillPorts(s, cameraLink_);
  const bool com = category_->currentIndex() == 0;
  if (com) {
    // USB adapters and on-board ACM ports present now are offered too.
    for (const QString& device : DevicePaths())
      if (std::find(ports_.items.begin(), ports_.items.end(), device.toStdString()) ==
          ports_.items.end())
        ports_.items.push_back(device.toStdString());
  }
  filling_ = true;
  port_->clear();
  // Any device path can be typed on the COM port category.
  port_->setEditable(com);
  if (com) {
    port_->setInsertPolicy(QComboBox::NoInsert);
    connect(port_->lineEdit(), &QLineEdit::returnPressed, this, &CCommSelDlg::OnPortTyped,
            Qt::UniqueConnection);
  }
  for (const std::string& item : ports_.items)
    port_->addItem(QString::fromStdString(item));
  port_->setCurrentIndex(ports_.selection);
  filling_ = false;
}

void CCommSelDlg::TakeSelections() {
  Settings& s = panel_.Config();
  s.serialMode = category_->currentIndex();
  StorePortSelection(s, cameraLink_, ports_, port_->currentIndex());
  s.baudRate = baud_->currentIndex();
  s.camLinkSerialIndex = serialIndex_->currentIndex();
}

void CCommSelDlg::ApplyCategoryRules() {
  const int c = category_->currentIndex();
  serialIndexCaption_->setEnabled(c == 2);
  serialIndex_->setEnabled(c == 2);
  auto_->setEnabled(c == 0);
  ShowBaudControls();
}

void CCommSelDlg::ShowBaudControls() {
  const int b = panel_.Config().baudRate;
  baudCaption_->show();
  baud_->show();
  baud_->setCurrentIndex(b >= 0 && b < 5 ? b : 0);
}

void CCommSelDlg::ApplyStoreRule() {
  store_->setEnabled(StoreButtonEnabled(areaList_->currentIndex(), panel_.Config().operatingMode));
}

void CCommSelDlg::SetLinkState(int online) {
  const bool on = online == 1;
  const QStyle::StandardPixmap icon =
      on ? QStyle::SP_DialogApplyButton : QStyle::SP_MessageBoxWarning;
  stateIcon_->setPixmap(style()->standardIcon(icon).pixmap(20, 20));
  stateWord_->setText(on ? "Online" : "Offline");
  QPalette words = stateWord_->palette();
  words.setColor(QPalette::WindowText, LinkStateColour(on, palette()));
  stateWord_->setPalette(words);
  strip_->SetState(on ? 1 : 0);
}

void CCommSelDlg::AddMessage(const QString& text) {
  messages_.AddMessage(text.toStdString());
}

void CCommSelDlg::Reconnect(const std::function<void()>& change) {
  emit busy(true);
  kestrel::Reconnect(
      panel_.Cmd(), [&change](Settings&) { change(); },
      [this] {
        if (panel_.Link().Connect()) return true;
        ui_.Show(panel_.Link().LastFailure());
        return false;
      },
      [this] { panelSide_.RefreshFromCamera(); });
  emit busy(false);
}

void CCommSelDlg::OnCategorySelected(int index) {
  if (filling_ || index < 0 || index >= category_->count()) return;
  Reconnect([this, index] {
    category_->setCurrentIndex(index);
    panel_.Config().serialMode = index;
    FillPorts();
    TakeSelections();
    ApplyCategoryRules();
  });
}

void CCommSelDlg::OnPortSelected(int index) {
  if (filling_ || index < 0 || index >= port_->count()) return;
  Reconnect([this, index] {
    port_->setCurrentIndex(index);
    TakeSelections();
  });
}

void CCommSelDlg::OnPortTyped() {
  // A path typed into the list and confirmed with Enter. A name already in
  // the list is a plain selection, which `activated` reports.
  const QString text = port_->lineEdit()->text().trimmed();
  if (text.isEmpty() || port_->findText(text) >= 0) return;
  ports_.items.push_back(text.toStdString());
  port_->addItem(text);
  port_->setCurrentIndex(port_->count() - 1);
  OnPortSelected(port_->currentIndex());
}

void CCommSelDlg::OnBaudSelected(int index) {
  if (index < 0 || index >= baud_->count()) return;
  Reconnect([this, index] {
    baud_->setCurrentIndex(index);
    panel_.Config().baudRate = index;
  });
}

void CCommSelDlg::OnSerialIndexSelected(int index) {
  panel_.Config().camLinkSerialIndex = index;
}

void CCommSelDlg::OnNetworkConnect() {
  QString host = netHost_->text().trimmed();
  // An IPv6 address goes in brackets, as in any URL.
  if (host.contains(':') && !host.startsWith('[')) host = "[" + host + "]";
  const std::string url =
      (netKind_->currentText() + host + ":" + QString::number(netPort_->value())).toStdString();
  NetAddress relay;
  if (std::string why = ParseNetAddress(url, relay); !why.empty()) {
    ui_.Show(Failure(FailureKind::BadInput, why));
    return;
  }
  Reconnect([this, url] {
    Settings& s = panel_.Config();
    s.networkPort = url;
    s.commDevice = url;
    category_->setCurrentIndex(0);
    s.serialMode = 0;
    FillPorts();
    TakeSelections();
    ApplyCategoryRules();
  });
}

void CCommSelDlg::OnKeepSpeed(bool keep) {
  panel_.Config().keepCameraSpeed = keep ? 1 : 0;
}

void CCommSelDlg::OnAuto() {
  emit busy(true);
  const int port = AutoSearchPort(panel_.Cmd());
  if (port >= 0) {
    filling_ = true;
    port_->setCurrentIndex(port);
    filling_ = false;
    panelSide_.RefreshFromCamera();
  } else if (panel_.Config().serialMode == 0) {
    ui_.Show(panel_.Cmd().LastFailure());
  }
  emit busy(false);
}

void CCommSelDlg::OnGetArea() {
  emit busy(true);
  areaLabel_->setText(QString::fromStdString(GetAreaLabel(panel_.Cmd())));
  emit busy(false);
}

void CCommSelDlg::OnStore() {
  if (!store_->isEnabled() || !ConfirmAreaStore(ui_, areaList_->currentIndex())) return;
  emit busy(true);
  if (!StoreFromCommDialog(panel_.Cmd(), areaList_->currentIndex(), kStoreFinishPauseMs, ui_))
    ui_.Show(panel_.Cmd().LastFailure());
  emit busy(false);
}

void CCommSelDlg::OnLoad() {
  emit busy(true);
  if (!LoadFromCommDialog(panel_.Cmd(), areaList_->currentIndex(), &panelSide_))
    ui_.Show(panel_.Cmd().LastFailure());
  emit busy(false);
}

void CCommSelDlg::OnExport() {
  Settings& s = panel_.Config();
  const std::string path = ChooseFile(this, {true, s.dumpFile, "txt", "txt file (*.txt)", {}});
  if (path.empty()) return;
  if (!ConfirmOverwrite(ui_, path)) return;
  if (!messages_.Export(path)) ui_.Show(messages_.LastFailure());
  s.dumpFile = FolderOf(path);
}

void CCommSelDlg::OnClear() {
  messages_.Clear();
}

}  // namespace kestrel
