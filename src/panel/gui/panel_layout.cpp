// The panel's window: groups, rows and the Sensor1 / Sensor2 columns, the
// factory area and the menu bar. Behaviour lives in kestrel_dlg.cpp.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "panel/gui/bound_widgets.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

const char* const kNotAvailable = "Not available yet";

QLabel* Caption(const QString& text) {
  auto* l = new QLabel(text);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return l;
}

QLabel* Header(const QString& text) {
  auto* l = new QLabel(text);
  l->setAlignment(Qt::AlignCenter);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  l->setObjectName("columnHeader");
  return l;
}

QGridLayout* Grid(QWidget* parent) {
  auto* g = new QGridLayout(parent);
  g->setContentsMargins(8, 6, 8, 8);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(4);
  return g;
}

}  // namespace

QGroupBox* CKestrelDlg::MakeGroup(const QString& title, uint32_t id) {
  auto* g = new QGroupBox(title);
  if (id) g->setObjectName(QString("ctl%1").arg(id));
  return g;
}

QWidget* CKestrelDlg::MakeLabel(uint32_t id) {
  auto* l = new QLabel;
  l->setObjectName(QString("ctl%1").arg(id));
  l->setFrameShape(QFrame::StyledPanel);
  l->setFrameShadow(QFrame::Sunken);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setMinimumWidth(fontMetrics().horizontalAdvance("00000.000us") + 10);
  view_.Register(id, l);
  return l;
}

QPushButton* CKestrelDlg::MakeButton(uint32_t id, const QString& text, bool available) {
  auto* b = new QPushButton(text);
  b->setAutoDefault(false);
  if (id) {
    b->setObjectName(QString("ctl%1").arg(id));
    view_.Register(id, b);
  }
  if (!available) {
    b->setToolTip(kNotAvailable);
    b->setEnabled(false);
    if (id) view_.MarkUnavailable(id);
  }
  return b;
}

QPushButton* CKestrelDlg::MakeUnavailable(const QString& text, const QString& name) {
  QPushButton* b = MakeButton(0, text, false);
  b->setObjectName(name);
  return b;
}

QPushButton* CKestrelDlg::ToolButton(const QString& name) const {
  return findChild<QPushButton*>(name);
}

QAction* CKestrelDlg::MenuAction(const QString& name) const {
  return findChild<QAction*>(name);
}

void CKestrelDlg::MakeAvailable(QWidget* w) {
  if (!w) return;
  w->setToolTip({});
  w->setEnabled(true);
}

void CKestrelDlg::MakeAvailable(QAction* a) {
  if (!a) return;
  a->setToolTip({});
  a->setStatusTip({});
  a->setEnabled(true);
}

QWidget* CKestrelDlg::MakeBound(uint32_t id, const QString& caption, const QString& column) {
  const ControlBinding* slot = nullptr;
  for (int i = 0; i < table_.Count(); ++i)
    if (table_.Slot(i).controlId == id) {
      slot = &table_.Slot(i);
      break;
    }
  if (!slot) {
    // A display the rules name: the time of a line and of an exposure.
    QWidget* l = MakeLabel(id);
    const bool line = id == ctrl::LRTime || id == ctrl::LR2Time;
    const bool sensor1 = id == ctrl::LRTime || id == ctrl::PETime;
    l->setToolTip(QString(line ? "Line period of %1"
                               : "Exposure time of %1; \"over\" when it is "
                                 "longer than the line period")
                      .arg(sensor1 ? "Sensor1" : "Sensor2"));
    return l;
  }
  // The tooltip names the control in words: its group, its row and column.
  QStringList words{QString::fromUtf8(slot->group)};
  for (const QString& part : {QString(caption).replace('\n', ' '), column})
    if (!part.isEmpty() && !words.contains(part)) words << part;
  const QString mnemonic = slot->kind == WidgetKind::SpinEdit && slot->cmdIndex >= 0 &&
                                   table_.Cmd().Table()[slot->cmdIndex].indexed
                               ? QString("%1, index %2")
                                     .arg(slot->command)
                                     .arg(table_.Cmd().Table()[slot->cmdIndex].index)
                               : QString::fromUtf8(slot->command);
  if (slot->kind == WidgetKind::Label) {
    // The calibration status: a word, centred under its button.
    QWidget* l = MakeLabel(id);
    static_cast<QLabel*>(l)->setAlignment(Qt::AlignCenter);
    view_.Describe(id, words.join(" · "), mnemonic);
    return l;
  }
  QWidget* w = nullptr;
  switch (slot->kind) {
    case WidgetKind::List: {
      auto* list = new ListBox(id);
      for (const std::string& item : slot->items)
        list->addItem(QString::fromStdString(item));
      w = list;
      break;
    }
    case WidgetKind::SpinEdit: {
      auto* spin = new SpinEdit(id);
      spin->SetRange(slot->minimum, slot->maximum);
      w = spin;
      break;
    }
    case WidgetKind::TextEdit: {
      auto* edit = new TextEdit(id);
      edit->setMinimumWidth(fontMetrics().horizontalAdvance("MMMMMMMM"));
      w = edit;
      break;
    }
    case WidgetKind::CheckBox:
      w = new QCheckBox("Enable");
      break;
    case WidgetKind::Label:
      return MakeLabel(id);
  }
  w->setObjectName(QString("ctl%1").arg(id));
  view_.Register(id, w);
  view_.Describe(id, words.join(" · "), mnemonic, QString::fromUtf8(slot->unit));
  return w;
}

void CKestrelDlg::AddRows(QGridLayout* grid, int firstRow, int firstColumn,
                          std::initializer_list<Row> rows) {
  int r = firstRow;
  for (const Row& row : rows) {
    const QString caption = row.caption;
    if (!caption.isEmpty()) grid->addWidget(Caption(caption), r, firstColumn);
    // Only a row with both columns is a Sensor1 / Sensor2 pair.
    if (row.s1)
      grid->addWidget(MakeBound(row.s1, caption, row.s2 ? "Sensor1" : ""), r, firstColumn + 1);
    if (row.s2) grid->addWidget(MakeBound(row.s2, caption, "Sensor2"), r, firstColumn + 2);
    ++r;
  }
}

QGroupBox* CKestrelDlg::SensorGroup(const QString& title, std::initializer_list<Row> rows,
                                    bool headers) {
  QGroupBox* g = MakeGroup(title);
  QGridLayout* grid = Grid(g);
  int first = 0;
  if (headers) {
    grid->addWidget(Header("Sensor1"), 0, 1);
    grid->addWidget(Header("Sensor2"), 0, 2);
    first = 1;
  }
  AddRows(grid, first, 0, rows);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(grid->rowCount(), 1);
  return g;
}

QWidget* CKestrelDlg::BuildUserArea() {
  using namespace ctrl;
  auto* area = new QWidget;
  area->setObjectName("userArea");
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(6);

  // Column 1: synchronisation, trigger and image format.
  auto* c0 = new QVBoxLayout;
  c0->setSpacing(8);
  c0->addWidget(SensorGroup("TG Mode", {{"", TGSM, 0}}, false));
  c0->addWidget(SensorGroup(
      "Trigger",
      {{"Origin", TG, TG2}, {"Mode", TR, TR2}, {"Input", TI, TI2}, {"Polarity", TP, TP2}}));
  c0->addWidget(SensorGroup(
      "Image Format", {{"CL Type", CLT, 0}, {"Bit Alloc.", BA, 0}, {"Test\nPattern", 3084, 3114}}));
  c0->addStretch(1);
  grid->addLayout(c0, 0, 0, 3, 1);

  // Line period and exposure with their time displays.
  {
    QGroupBox* g = MakeGroup("Line Rate, Exposure");
    QGridLayout* l = Grid(g);
    l->addWidget(Header("Sensor1"), 0, 1);
    l->addWidget(Header("Sensor2"), 0, 2);
    AddRows(l, 1, 0,
            {{"Line Rate", LR, LR2},
             {"", LRTime, LR2Time},
             {"Exposure", PE, PE2},
             {"", PETime, PE2Time},
             {"Ref.", AL, AL2}});
    l->addWidget(MakeButton(AutoLineRate1, "Auto L.R. Set", true), 6, 1);
    l->addWidget(MakeButton(AutoLineRate2, "Auto L.R. Set", true), 6, 2);
    l->setRowStretch(7, 1);
    grid->addWidget(g, 0, 1);
  }

  // Black setup and gain.
  {
    auto* c2 = new QVBoxLayout;
    c2->setSpacing(8);
    c2->addWidget(SensorGroup("Black Setup", {{"Sensor1", 3030, 0}, {"Sensor2", 3037, 0}}, false));
    QGroupBox* g = MakeGroup("Gain");
    QGridLayout* l = Grid(g);
    AddRows(l, 0, 0, {{"Mode", GM, 0}, {"Sensor1", GA1T1, 0}, {"Sensor2", GA2T1, 0}});
    QPushButton* shutter = MakeButton(ChannelBalanceShutter, "Channel Balance Shutter", true);
    QPushButton* gain = MakeButton(ChannelBalanceGain, "Channel Balance Gain", true);
    shutter->setToolTip("Balance Sensor2's exposure to Sensor1 (AH)");
    gain->setToolTip("Balance Sensor2's gain to Sensor1 (CB)");
    l->addWidget(shutter, 3, 0, 1, 2);
    l->addWidget(gain, 4, 0, 1, 2);
    l->setRowStretch(5, 1);
    c2->addWidget(g, 1);
    grid->addLayout(c2, 0, 2);
  }

  // Blemish correction.
  {
    QGroupBox* g = MakeGroup("Blemish");
    QGridLayout* l = Grid(g);
    l->addWidget(Header("Sensor1"), 0, 1);
    l->addWidget(Header("Sensor2"), 0, 2);
    AddRows(l, 1, 0, {{"Correct", 2566, 2567}, {"Thresh", BLMT, BLMT2}});
    l->addWidget(Caption("Detect"), 3, 0);
    l->addWidget(MakeUnavailable("Start", "blemishDetect1"), 3, 1);
    l->addWidget(MakeUnavailable("Start", "blemishDetect2"), 3, 2);
    AddRows(l, 4, 0, {{"Index", BLMI, BLMI2}, {"Pos", BLMP, BLMP2}});
    l->addWidget(Caption("Read"), 6, 0);
    l->addWidget(MakeUnavailable("R", "blemishRead1"), 6, 1);
    l->addWidget(MakeUnavailable("R", "blemishRead2"), 6, 2);
    l->addWidget(Caption("Write"), 7, 0);
    l->addWidget(MakeUnavailable("W", "blemishWrite1"), 7, 1);
    l->addWidget(MakeUnavailable("W", "blemishWrite2"), 7, 2);
    l->setRowStretch(8, 1);
    grid->addWidget(g, 0, 3);
  }

  // Chromatic aberration: the switch, the lens in use and three lens columns.
  {
    QGroupBox* g = MakeGroup("Aberration");
    auto* v = new QVBoxLayout(g);
    v->setContentsMargins(8, 6, 8, 8);
    auto* top = new QHBoxLayout;
    top->addWidget(MakeBound(MAV, "Enable"));
    top->addWidget(MakeBound(MAVCG, "Lens in use"), 1);
    v->addLayout(top);
    auto* lenses = new QHBoxLayout;
    lenses->setSpacing(6);
    const uint32_t ids[3][5] = {{CABN1, 2753, 2755, 2757, 2759},
                                {CABN2, 2762, 2764, 2766, 2768},
                                {CABN3, 2771, 2773, 2775, 2777}};
    // The four numbers of a lens setting; the mnemonics are in the tooltips.
    const char* const rows[5] = {"Name", "Left Side", "Area", "2nd", "3rd"};
    for (int lens = 0; lens < 3; ++lens) {
      QGroupBox* lg = MakeGroup(QString("Lens%1").arg(lens + 1));
      auto* form = new QVBoxLayout(lg);
      form->setContentsMargins(6, 4, 6, 6);
      form->setSpacing(3);
      for (int r = 0; r < 5; ++r) {
        QLabel* cap = Caption(rows[r]);
        cap->setObjectName("lensCaption");
        form->addWidget(cap);
        form->addWidget(MakeBound(ids[lens][r], rows[r], QString("Lens%1").arg(lens + 1)));
      }
      form->addStretch(1);
      lenses->addWidget(lg);
    }
    v->addLayout(lenses, 1);
    grid->addWidget(g, 0, 4, 2, 1);
  }

  // Calibration status with the buttons of the correction dialogs.
  {
    QGroupBox* g = MakeGroup("Calibration");
    QGridLayout* l = Grid(g);
    l->addWidget(Header("Sensor1"), 0, 0, 1, 2);
    l->addWidget(Header("Sensor2"), 0, 2, 1, 2);
    const struct {
      const char* text;
      const char* name;
      uint32_t s1, s2;
    } rows[3] = {{"Pixel Black", "pixelBlack", PBC, PBC2},
                 {"Pixel Gain", "pixelGain", PGC, PGC2},
                 {"Shading", "shading", SDC, SDC2}};
    for (int r = 0; r < 3; ++r) {
      l->addWidget(MakeUnavailable(rows[r].text, QString(rows[r].name) + "1"), r + 1, 0);
      l->addWidget(MakeBound(rows[r].s1, rows[r].text, "Sensor1"), r + 1, 1);
      l->addWidget(MakeUnavailable(rows[r].text, QString(rows[r].name) + "2"), r + 1, 2);
      l->addWidget(MakeBound(rows[r].s2, rows[r].text, "Sensor2"), r + 1, 3);
    }
    l->setColumnStretch(1, 1);
    l->setColumnStretch(3, 1);
    l->setRowStretch(4, 1);
    grid->addWidget(g, 1, 1, 1, 2);
  }

  {
    QGroupBox* g = MakeGroup("LUT");
    QGridLayout* l = Grid(g);
    l->addWidget(Header("Sensor1"), 0, 1);
    l->addWidget(Header("Sensor2"), 0, 2);
    AddRows(l, 1, 0, {{"Mode", LUTC1, LUTC2}});
    l->addWidget(Caption("Table"), 2, 0);
    l->addWidget(MakeButton(LutTable1, "Table", false), 2, 1);
    l->addWidget(MakeButton(LutTable2, "Table", false), 2, 2);
    AddRows(l, 3, 0, {{"Gamma", GMA1, GMA2}});
    l->setRowStretch(4, 1);
    grid->addWidget(g, 1, 3);
  }

  grid->addWidget(SensorGroup("Noise Reduction", {{"", 3964, 3965}}), 2, 1);
  grid->addWidget(
      SensorGroup("Analog Base Gain", {{"Sensor1", 2473, 0}, {"Sensor2", 2475, 0}}, false), 2, 2);
  grid->addWidget(
      SensorGroup("Sensor Out", {{"Cfa", 2444, 2445}, {"Cfb", 2446, 2447}, {"Cfc", 2448, 2449}}), 2,
      3);
  grid->addWidget(
      SensorGroup("CL Cable Setting",
                  {{"", 3936, 0}, {"Short", 3930, 0}, {"Middle", 3932, 0}, {"Long", 3934, 0}},
                  false),
      2, 4);
  for (int c = 0; c < 5; ++c)
    grid->setColumnStretch(c, 1);
  return area;
}

QGroupBox* CKestrelDlg::BuildFactoryArea() {
  using namespace ctrl;
  QGroupBox* area = MakeGroup("Factory mode function", FactoryGroup);
  auto* h = new QHBoxLayout(area);
  h->setContentsMargins(8, 8, 8, 8);
  h->setSpacing(8);

  // AFE registers, Sensor1 (…1) and Sensor2 (…9), in two blocks of ten rows.
  {
    QGroupBox* g = MakeGroup("AFE");
    QGridLayout* l = Grid(g);
    const Row rows[20] = {
        {"CPSP", 2470, 2468}, {"CT1R", 2481, 2483}, {"CT2R", 2487, 2485}, {"CTM0", 2489, 2491},
        {"P0T1", 2493, 2495}, {"P0T2", 2497, 2499}, {"P1T1", 2501, 2503}, {"P1T2", 2505, 2507},
        {"SHPW", 2517, 2519}, {"SHPE", 2521, 2523}, {"DPHP", 2525, 2527}, {"DPHN", 2529, 2531},
        {"TCLD", 2533, 2535}, {"SYSL", 2537, 2539}, {"LTEA", 2541, 2543}, {"LTEB", 2545, 2547},
        {"LTPA", 2549, 2551}, {"LTPB", 2553, 2555}, {"LTPL", 2557, 2559}, {"LTPH", 2561, 2563}};
    for (int block = 0; block < 2; ++block) {
      const int c = block * 4;
      l->addWidget(Header("Sensor1"), 0, c + 1);
      l->addWidget(Header("Sensor2"), 0, c + 2);
      for (int r = 0; r < 10; ++r) {
        const Row& row = rows[block * 10 + r];
        l->addWidget(Caption(row.caption), r + 1, c);
        l->addWidget(MakeBound(row.s1, row.caption, "Sensor1"), r + 1, c + 1);
        l->addWidget(MakeBound(row.s2, row.caption, "Sensor2"), r + 1, c + 2);
      }
    }
    l->setColumnMinimumWidth(3, 10);
    l->setRowStretch(11, 1);
    h->addWidget(g);
  }

  // Tap gains and clamp levels: tap 1 is absolute, taps 2..8 relative to it.
  auto tapGroup = [&](const QString& title, uint32_t s1First, uint32_t s1Rest, uint32_t s2First,
                      uint32_t s2Rest) {
    QGroupBox* g = MakeGroup(title);
    QGridLayout* l = Grid(g);
    l->addWidget(Header("Sensor1"), 0, 1);
    l->addWidget(Header("Sensor2"), 0, 2);
    for (int tap = 1; tap <= 8; ++tap) {
      l->addWidget(Caption(QString("TAP%1").arg(tap)), tap, 0);
      const uint32_t a = tap == 1 ? s1First : s1Rest + 2 * (tap - 2);
      const uint32_t b = tap == 1 ? s2First : s2Rest + 2 * (tap - 2);
      l->addWidget(MakeBound(a, QString("TAP%1").arg(tap), "Sensor1"), tap, 1);
      l->addWidget(MakeBound(b, QString("TAP%1").arg(tap), "Sensor2"), tap, 2);
    }
    return std::pair{g, l};
  };
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(8);
    auto [g, l] = tapGroup("Gain (VGA Gain)", 2598, 2600, 2614, 2616);
    l->addWidget(Caption("AutoTAP\nBalance"), 9, 0);
    l->addWidget(MakeUnavailable("once", "tapBalance1"), 9, 1);
    l->addWidget(MakeUnavailable("once", "tapBalance2"), 9, 2);
    col->addWidget(g);
    col->addWidget(SensorGroup("Sensor Out", {{"", 3034, 2451}}));
    col->addWidget(SensorGroup("Noise Reduction Level", {{"", 3960, 3962}}));
    col->addStretch(1);
    h->addLayout(col);
  }
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(8);
    auto [g, l] = tapGroup("Black Offset (Clamp Level)", 3841, 3843, 3857, 3859);
    l->setRowStretch(9, 1);
    col->addWidget(g);
    col->addWidget(SensorGroup("Black Setup (User)", {{"", 2142, 2167}}));
    col->addWidget(SensorGroup("IP", {{"", BYP, 3232}}));
    col->addStretch(1);
    h->addLayout(col);
  }
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(8);
    QGroupBox* g = MakeGroup("Blemish");
    g->setObjectName("factoryBlemish");
    QGridLayout* l = Grid(g);
    l->addWidget(Header("Sensor1"), 0, 1);
    l->addWidget(Header("Sensor2"), 0, 2);
    AddRows(l, 1, 0, {{"Thresh", 2713, 2715}});
    l->addWidget(Caption("Detect"), 2, 0);
    l->addWidget(MakeUnavailable("Start", "factoryBlemishDetect1"), 2, 1);
    l->addWidget(MakeUnavailable("Start", "factoryBlemishDetect2"), 2, 2);
    AddRows(l, 3, 0, {{"Index", BLMIF, BLMIF2}, {"Pos", BLMPF, BLMPF2}});
    l->addWidget(Caption("Read"), 5, 0);
    l->addWidget(MakeUnavailable("R", "factoryBlemishRead1"), 5, 1);
    l->addWidget(MakeUnavailable("R", "factoryBlemishRead2"), 5, 2);
    l->addWidget(Caption("Write"), 6, 0);
    l->addWidget(MakeUnavailable("W", "factoryBlemishWrite1"), 6, 1);
    l->addWidget(MakeUnavailable("W", "factoryBlemishWrite2"), 6, 2);
    col->addWidget(g);
    col->addWidget(SensorGroup("Boot Area Set", {{"", 3813, 0}}, false));
    // Laid out but never shown: the 2-tap port order is set by the factory
    // tools, not from the panel.
    QGroupBox* tto = SensorGroup("2TAP Out Port", {{"", TTO, 0}}, false);
    tto->setVisible(false);
    col->addWidget(tto);
    col->addStretch(1);
    h->addLayout(col);
  }
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(4);
    for (const char* text : {"AFE Write", "DAC Write", "FPGA R/W", "Temp", "Terminal", "Sensor Mem",
                             "Init Flash Data", "Camera ID", "Camera Reset", "Store All"})
      col->addWidget(MakeUnavailable(
          text, QString("button") + QString(text).remove(' ').remove('.').remove('/')));
    col->addStretch(1);
    h->addLayout(col);
  }
  return area;
}

void CKestrelDlg::BuildMenus() {
  auto unavailable = [](QAction* a, const char* name) {
    a->setObjectName(name);
    a->setEnabled(false);
    a->setToolTip(kNotAvailable);
    a->setStatusTip(kNotAvailable);
  };
  // Entries that open a window before anything happens end in "…".
  QMenu* file = menuBar()->addMenu("File(&F)");
  file->setToolTipsVisible(true);
  QAction* open = file->addAction("&Open…");
  unavailable(open, "actionOpen");
  open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  QAction* save = file->addAction("&Save as…");
  unavailable(save, "actionSaveAs");
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  unavailable(file->addAction("Compare with Camera…"), "actionCompareWithCamera");
  file->addSeparator();
  QAction* exit = file->addAction("E&xit");
  exit->setObjectName("actionExit");
  exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QMenu* settings = menuBar()->addMenu("Settings(&S)");
  settings->setToolTipsVisible(true);
  unavailable(settings->addAction("&Reload"), "actionReload");
  // Reads every parameter again and sends nothing (Reload makes the camera
  // load its setting area first).
  QAction* reread = settings->addAction("Read &camera again");
  reread->setObjectName("actionReread");
  reread->setShortcut(QKeySequence(Qt::Key_F5));
  connect(reread, &QAction::triggered, this, &CKestrelDlg::ReadCameraAgain);
  unavailable(settings->addAction("&Load settings…"), "actionLoadSettings");
  unavailable(settings->addAction("&Store settings…"), "actionStoreSettings");

  QMenu* data = menuBar()->addMenu("Data");
  data->setToolTipsVisible(true);
  for (const char* kind : {"Pixel Black", "Pixel Gain", "Shading"}) {
    QMenu* sub = data->addMenu(kind);
    sub->setToolTipsVisible(true);
    sub->menuAction()->setObjectName(QString("menu") + QString(kind).remove(' '));
    sub->setEnabled(false);
    sub->menuAction()->setToolTip(kNotAvailable);
  }
  data->addSeparator();
  unavailable(data->addAction("View Correction Data…"), "actionViewCorrectionData");

  QMenu* help = menuBar()->addMenu("Help(&H)");
  help->setToolTipsVisible(true);
  unavailable(help->addAction("&About this application…"), "actionAbout");
  unavailable(help->addAction("Communication…"), "actionCommunication");
}

}  // namespace kestrel
