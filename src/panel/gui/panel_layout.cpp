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

#include "gui/translation.h"
#include "panel/gui/bound_widgets.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

const char* const kNotAvailable = QT_TRANSLATE_NOOP("kestrel::CKestrelDlg", "Not available yet");
const char* const kDoesProperty = "kestrelDoes";

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
  g->setContentsMargins(6, 4, 6, 6);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(2);
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
  l->setMinimumWidth(fontMetrics().horizontalAdvance(QString::fromUtf8("00000.000 \u00b5s")) + 10);
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

QPushButton* CKestrelDlg::MakeUnavailable(const QString& text, const QString& name,
                                          const QString& does) {
  QPushButton* b = MakeButton(0, text, false);
  b->setObjectName(name);
  // What the button does to the camera, its tooltip once a tool provides it.
  b->setProperty(kDoesProperty, does);
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
  w->setToolTip(w->property(kDoesProperty).toString());
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
    l->setToolTip((line
                       ? tr("Line period of %1")
                       : tr("Exposure time of %1; \"over\" when it is longer than the line period"))
                      .arg(sensor1 ? tr("Sensor1") : tr("Sensor2")));
    return l;
  }
  // The tooltip names the control in words: its group, its row and column.
  QStringList words{Translated(slot->group)};
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
        list->addItem(Translated(item));
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
      w = new QCheckBox(tr("Enable"));
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
    const QString caption = tr(row.caption);
    if (!caption.isEmpty()) grid->addWidget(Caption(caption), r, firstColumn);
    // Only a row with both columns is a Sensor1 / Sensor2 pair.
    if (row.s1)
      grid->addWidget(MakeBound(row.s1, caption, row.s2 ? tr("Sensor1") : QString()), r,
                      firstColumn + 1);
    if (row.s2) grid->addWidget(MakeBound(row.s2, caption, tr("Sensor2")), r, firstColumn + 2);
    ++r;
  }
}

QGroupBox* CKestrelDlg::SensorGroup(const QString& title, std::initializer_list<Row> rows,
                                    bool headers) {
  QGroupBox* g = MakeGroup(title);
  QGridLayout* grid = Grid(g);
  int first = 0;
  if (headers) {
    grid->addWidget(Header(tr("Sensor1")), 0, 1);
    grid->addWidget(Header(tr("Sensor2")), 0, 2);
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
  grid->setSpacing(4);

  // Column 1: synchronisation, trigger and image format.
  auto* c0 = new QVBoxLayout;
  c0->setSpacing(8);
  c0->addWidget(SensorGroup(tr("TG Mode"), {{"", TGSM, 0}}, false));
  c0->addWidget(SensorGroup(tr("Trigger"), {{QT_TR_NOOP("Origin"), TG, TG2},
                                            {QT_TR_NOOP("Mode"), TR, TR2},
                                            {QT_TR_NOOP("Input"), TI, TI2},
                                            {QT_TR_NOOP("Polarity"), TP, TP2}}));
  c0->addWidget(SensorGroup(tr("Image Format"), {{QT_TR_NOOP("CL Type"), CLT, 0},
                                                 {QT_TR_NOOP("Bit Alloc."), BA, 0},
                                                 {QT_TR_NOOP("Test\nPattern"), 3084, 3114}}));
  c0->addStretch(1);
  grid->addLayout(c0, 0, 0, 3, 1);

  // Line period and exposure with their time displays.
  {
    QGroupBox* g = MakeGroup(tr("Line Rate, Exposure"));
    QGridLayout* l = Grid(g);
    l->addWidget(Header(tr("Sensor1")), 0, 1);
    l->addWidget(Header(tr("Sensor2")), 0, 2);
    AddRows(l, 1, 0,
            {{QT_TR_NOOP("Line Rate"), LR, LR2},
             {"", LRTime, LR2Time},
             {QT_TR_NOOP("Exposure"), PE, PE2},
             {"", PETime, PE2Time},
             {QT_TR_NOOP("Ref."), AL, AL2}});
    for (int sensor : {1, 2}) {
      QPushButton* b =
          MakeButton(sensor == 1 ? AutoLineRate1 : AutoLineRate2, tr("Auto L.R. Set"), true);
      b->setToolTip(tr("Sensor%1: the camera sets its line period from the exposure by itself; "
                       "the panel reads both back")
                        .arg(sensor));
      l->addWidget(b, 6, sensor);
    }
    l->setRowStretch(7, 1);
    grid->addWidget(g, 0, 1);
  }

  // Black setup and gain.
  {
    auto* c2 = new QVBoxLayout;
    c2->setSpacing(8);
    c2->addWidget(SensorGroup(tr("Black Setup"),
                              {{QT_TR_NOOP("Sensor1"), 3030, 0}, {QT_TR_NOOP("Sensor2"), 3037, 0}},
                              false));
    QGroupBox* g = MakeGroup(tr("Gain"));
    QGridLayout* l = Grid(g);
    AddRows(l, 0, 0,
            {{QT_TR_NOOP("Mode"), GM, 0},
             {QT_TR_NOOP("Sensor1"), GA1T1, 0},
             {QT_TR_NOOP("Sensor2"), GA2T1, 0}});
    QPushButton* shutter = MakeButton(ChannelBalanceShutter, tr("Channel Balance Shutter"), true);
    QPushButton* gain = MakeButton(ChannelBalanceGain, tr("Channel Balance Gain"), true);
    shutter->setToolTip(tr("Balance Sensor2's exposure to Sensor1 (AH)"));
    gain->setToolTip(tr("Balance Sensor2's gain to Sensor1 (CB)"));
    l->addWidget(shutter, 3, 0, 1, 2);
    l->addWidget(gain, 4, 0, 1, 2);
    l->setRowStretch(5, 1);
    c2->addWidget(g, 1);
    grid->addLayout(c2, 0, 2);
  }

  // Blemish correction.
  {
    QGroupBox* g = MakeGroup(tr("Blemish"));
    QGridLayout* l = Grid(g);
    l->addWidget(Header(tr("Sensor1")), 0, 1);
    l->addWidget(Header(tr("Sensor2")), 0, 2);
    AddRows(l, 1, 0, {{QT_TR_NOOP("Correct"), 2566, 2567}, {QT_TR_NOOP("Thresh"), BLMT, BLMT2}});
    l->addWidget(Caption(tr("Detect")), 3, 0);
    l->addWidget(
        MakeUnavailable(
            tr("Start"), "blemishDetect1",
            tr("Sensor1: the camera detects its blemished pixels now, into its blemish table")),
        3, 1);
    l->addWidget(
        MakeUnavailable(
            tr("Start"), "blemishDetect2",
            tr("Sensor2: the camera detects its blemished pixels now, into its blemish table")),
        3, 2);
    AddRows(l, 4, 0, {{QT_TR_NOOP("Index"), BLMI, BLMI2}, {QT_TR_NOOP("Pos"), BLMP, BLMP2}});
    l->addWidget(Caption(tr("Read")), 6, 0);
    l->addWidget(MakeUnavailable(
                     tr("R"), "blemishRead1",
                     tr("Sensor1: reads the position at this index of the camera's blemish table")),
                 6, 1);
    l->addWidget(MakeUnavailable(
                     tr("R"), "blemishRead2",
                     tr("Sensor2: reads the position at this index of the camera's blemish table")),
                 6, 2);
    l->addWidget(Caption(tr("Write")), 7, 0);
    l->addWidget(MakeUnavailable(tr("W"), "blemishWrite1",
                                 tr("Sensor1: writes the position typed above at this index of the "
                                    "camera's blemish table")),
                 7, 1);
    l->addWidget(MakeUnavailable(tr("W"), "blemishWrite2",
                                 tr("Sensor2: writes the position typed above at this index of the "
                                    "camera's blemish table")),
                 7, 2);
    l->setRowStretch(8, 1);
    grid->addWidget(g, 0, 3);
  }

  // Chromatic aberration: the switch, the lens in use and three lens columns.
  {
    QGroupBox* g = MakeGroup(tr("Aberration"));
    auto* v = new QVBoxLayout(g);
    v->setContentsMargins(8, 6, 8, 8);
    auto* top = new QHBoxLayout;
    top->addWidget(MakeBound(MAV, tr("Enable")));
    top->addWidget(MakeBound(MAVCG, tr("Lens in use")), 1);
    v->addLayout(top);
    auto* lenses = new QHBoxLayout;
    lenses->setSpacing(6);
    const uint32_t ids[3][5] = {{CABN1, 2753, 2755, 2757, 2759},
                                {CABN2, 2762, 2764, 2766, 2768},
                                {CABN3, 2771, 2773, 2775, 2777}};
    // The four numbers of a lens setting; the mnemonics are in the tooltips.
    const char* const rows[5] = {QT_TR_NOOP("Name"), QT_TR_NOOP("Left Side"), QT_TR_NOOP("Area"),
                                 QT_TR_NOOP("2nd"), QT_TR_NOOP("3rd")};
    for (int lens = 0; lens < 3; ++lens) {
      QGroupBox* lg = MakeGroup(tr("Lens%1").arg(lens + 1));
      auto* form = new QVBoxLayout(lg);
      form->setContentsMargins(6, 4, 6, 6);
      form->setSpacing(3);
      for (int r = 0; r < 5; ++r) {
        QLabel* cap = Caption(tr(rows[r]));
        cap->setObjectName("lensCaption");
        form->addWidget(cap);
        form->addWidget(MakeBound(ids[lens][r], tr(rows[r]), tr("Lens%1").arg(lens + 1)));
      }
      form->addStretch(1);
      lenses->addWidget(lg);
    }
    v->addLayout(lenses, 1);
    grid->addWidget(g, 0, 4, 2, 1);
    aberration_ = g;
  }

  // Calibration status with the buttons of the correction dialogs.
  {
    QGroupBox* g = MakeGroup(tr("Calibration"));
    QGridLayout* l = Grid(g);
    l->addWidget(Header(tr("Sensor1")), 0, 0, 1, 2);
    l->addWidget(Header(tr("Sensor2")), 0, 2, 1, 2);
    const struct {
      const char* text;
      const char* name;
      uint32_t s1, s2;
    } rows[3] = {{QT_TR_NOOP("Pixel Black"), "pixelBlack", PBC, PBC2},
                 {QT_TR_NOOP("Pixel Gain"), "pixelGain", PGC, PGC2},
                 {QT_TR_NOOP("Shading"), "shading", SDC, SDC2}};
    for (int r = 0; r < 3; ++r) {
      const QString does =
          tr("Sensor%1: opens the automatic %2 correction: its setting in the camera and a new "
             "calibration run");
      l->addWidget(MakeUnavailable(tr(rows[r].text), QString(rows[r].name) + "1",
                                   does.arg(1).arg(tr(rows[r].text).toLower())),
                   r + 1, 0);
      l->addWidget(MakeBound(rows[r].s1, tr(rows[r].text), tr("Sensor1")), r + 1, 1);
      l->addWidget(MakeUnavailable(tr(rows[r].text), QString(rows[r].name) + "2",
                                   does.arg(2).arg(tr(rows[r].text).toLower())),
                   r + 1, 2);
      l->addWidget(MakeBound(rows[r].s2, tr(rows[r].text), tr("Sensor2")), r + 1, 3);
    }
    l->setColumnStretch(1, 1);
    l->setColumnStretch(3, 1);
    l->setRowStretch(4, 1);
    grid->addWidget(g, 1, 1, 1, 2);
  }

  {
    QGroupBox* g = MakeGroup(tr("LUT"));
    QGridLayout* l = Grid(g);
    l->addWidget(Header(tr("Sensor1")), 0, 1);
    l->addWidget(Header(tr("Sensor2")), 0, 2);
    AddRows(l, 1, 0, {{QT_TR_NOOP("Mode"), LUTC1, LUTC2}});
    l->addWidget(Caption(tr("Table")), 2, 0);
    l->addWidget(MakeButton(LutTable1, tr("Table"), false), 2, 1);
    l->addWidget(MakeButton(LutTable2, tr("Table"), false), 2, 2);
    AddRows(l, 3, 0, {{QT_TR_NOOP("Gamma"), GMA1, GMA2}});
    l->setRowStretch(4, 1);
    grid->addWidget(g, 1, 3);
  }

  grid->addWidget(SensorGroup(tr("Noise Reduction"), {{"", 3964, 3965}}), 2, 1);
  grid->addWidget(
      SensorGroup(tr("Analog Base Gain"),
                  {{QT_TR_NOOP("Sensor1"), 2473, 0}, {QT_TR_NOOP("Sensor2"), 2475, 0}}, false),
      2, 2);
  grid->addWidget(SensorGroup(tr("Sensor Out"), {{QT_TR_NOOP("Cfa"), 2444, 2445},
                                                 {QT_TR_NOOP("Cfb"), 2446, 2447},
                                                 {QT_TR_NOOP("Cfc"), 2448, 2449}}),
                  2, 3);
  cable_ = SensorGroup(tr("CL Cable Setting"),
                       {{"", 3936, 0},
                        {QT_TR_NOOP("Short"), 3930, 0},
                        {QT_TR_NOOP("Middle"), 3932, 0},
                        {QT_TR_NOOP("Long"), 3934, 0}},
                       false);
  grid->addWidget(cable_, 2, 4);
  for (int c = 0; c < 5; ++c)
    grid->setColumnStretch(c, 1);
  userGrid_ = grid;
  return area;
}

void CKestrelDlg::ArrangeUserArea(bool narrow) {
  // Narrow (a small or a scaled screen): the aberration group goes below the
  // others, its lenses side by side, and the cable setting beside it, so the
  // groups need about a fifth less width and scroll down instead of sideways.
  if (narrow == narrowUser_) return;
  narrowUser_ = narrow;
  userGrid_->removeWidget(aberration_);
  userGrid_->removeWidget(cable_);
  if (narrow) {
    userGrid_->addWidget(aberration_, 3, 0, 1, 3);
    userGrid_->addWidget(cable_, 3, 3);
  } else {
    userGrid_->addWidget(aberration_, 0, 4, 2, 1);
    userGrid_->addWidget(cable_, 2, 4);
  }
  for (int c = 0; c < 5; ++c)
    userGrid_->setColumnStretch(c, narrow && c == 4 ? 0 : 1);
}

QGroupBox* CKestrelDlg::BuildFactoryArea() {
  using namespace ctrl;
  QGroupBox* area = MakeGroup(tr("Factory mode function"), FactoryGroup);
  auto* h = new QHBoxLayout(area);
  h->setContentsMargins(8, 8, 8, 8);
  h->setSpacing(8);

  // AFE registers, Sensor1 (…1) and Sensor2 (…9), in two blocks of ten rows.
  {
    QGroupBox* g = MakeGroup(tr("AFE"));
    QGridLayout* l = Grid(g);
    const Row rows[20] = {{QT_TR_NOOP("CPSP"), 2470, 2468}, {QT_TR_NOOP("CT1R"), 2481, 2483},
                          {QT_TR_NOOP("CT2R"), 2487, 2485}, {QT_TR_NOOP("CTM0"), 2489, 2491},
                          {QT_TR_NOOP("P0T1"), 2493, 2495}, {QT_TR_NOOP("P0T2"), 2497, 2499},
                          {QT_TR_NOOP("P1T1"), 2501, 2503}, {QT_TR_NOOP("P1T2"), 2505, 2507},
                          {QT_TR_NOOP("SHPW"), 2517, 2519}, {QT_TR_NOOP("SHPE"), 2521, 2523},
                          {QT_TR_NOOP("DPHP"), 2525, 2527}, {QT_TR_NOOP("DPHN"), 2529, 2531},
                          {QT_TR_NOOP("TCLD"), 2533, 2535}, {QT_TR_NOOP("SYSL"), 2537, 2539},
                          {QT_TR_NOOP("LTEA"), 2541, 2543}, {QT_TR_NOOP("LTEB"), 2545, 2547},
                          {QT_TR_NOOP("LTPA"), 2549, 2551}, {QT_TR_NOOP("LTPB"), 2553, 2555},
                          {QT_TR_NOOP("LTPL"), 2557, 2559}, {QT_TR_NOOP("LTPH"), 2561, 2563}};
    for (int block = 0; block < 2; ++block) {
      const int c = block * 4;
      l->addWidget(Header(tr("Sensor1")), 0, c + 1);
      l->addWidget(Header(tr("Sensor2")), 0, c + 2);
      for (int r = 0; r < 10; ++r) {
        const Row& row = rows[block * 10 + r];
        l->addWidget(Caption(row.caption), r + 1, c);
        l->addWidget(MakeBound(row.s1, row.caption, tr("Sensor1")), r + 1, c + 1);
        l->addWidget(MakeBound(row.s2, row.caption, tr("Sensor2")), r + 1, c + 2);
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
    l->addWidget(Header(tr("Sensor1")), 0, 1);
    l->addWidget(Header(tr("Sensor2")), 0, 2);
    for (int tap = 1; tap <= 8; ++tap) {
      l->addWidget(Caption(QString("TAP%1").arg(tap)), tap, 0);
      const uint32_t a = tap == 1 ? s1First : s1Rest + 2 * (tap - 2);
      const uint32_t b = tap == 1 ? s2First : s2Rest + 2 * (tap - 2);
      l->addWidget(MakeBound(a, QString("TAP%1").arg(tap), tr("Sensor1")), tap, 1);
      l->addWidget(MakeBound(b, QString("TAP%1").arg(tap), tr("Sensor2")), tap, 2);
    }
    return std::pair{g, l};
  };
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(8);
    auto [g, l] = tapGroup(tr("Gain (VGA Gain)"), 2598, 2600, 2614, 2616);
    l->addWidget(Caption(tr("AutoTAP\nBalance")), 9, 0);
    l->addWidget(
        MakeUnavailable(
            tr("once"), "tapBalance1",
            tr("Sensor1: the camera balances its eight tap gains once; the panel reads them back")),
        9, 1);
    l->addWidget(
        MakeUnavailable(
            tr("once"), "tapBalance2",
            tr("Sensor2: the camera balances its eight tap gains once; the panel reads them back")),
        9, 2);
    col->addWidget(g);
    col->addWidget(SensorGroup(tr("Sensor Out"), {{"", 3034, 2451}}));
    col->addWidget(SensorGroup(tr("Noise Reduction Level"), {{"", 3960, 3962}}));
    col->addStretch(1);
    h->addLayout(col);
  }
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(8);
    auto [g, l] = tapGroup(tr("Black Offset (Clamp Level)"), 3841, 3843, 3857, 3859);
    l->setRowStretch(9, 1);
    col->addWidget(g);
    col->addWidget(SensorGroup(tr("Black Setup (User)"), {{"", 2142, 2167}}));
    col->addWidget(SensorGroup(tr("IP"), {{"", BYP, 3232}}));
    col->addStretch(1);
    h->addLayout(col);
  }
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(8);
    QGroupBox* g = MakeGroup(tr("Blemish"));
    g->setObjectName("factoryBlemish");
    QGridLayout* l = Grid(g);
    l->addWidget(Header(tr("Sensor1")), 0, 1);
    l->addWidget(Header(tr("Sensor2")), 0, 2);
    AddRows(l, 1, 0, {{QT_TR_NOOP("Thresh"), 2713, 2715}});
    l->addWidget(Caption(tr("Detect")), 2, 0);
    l->addWidget(MakeUnavailable(tr("Start"), "factoryBlemishDetect1",
                                 tr("Sensor1: the camera detects its blemished pixels now, into "
                                    "its factory blemish table")),
                 2, 1);
    l->addWidget(MakeUnavailable(tr("Start"), "factoryBlemishDetect2",
                                 tr("Sensor2: the camera detects its blemished pixels now, into "
                                    "its factory blemish table")),
                 2, 2);
    AddRows(l, 3, 0, {{QT_TR_NOOP("Index"), BLMIF, BLMIF2}, {QT_TR_NOOP("Pos"), BLMPF, BLMPF2}});
    l->addWidget(Caption(tr("Read")), 5, 0);
    l->addWidget(
        MakeUnavailable(
            tr("R"), "factoryBlemishRead1",
            tr("Sensor1: reads the position at this index of the camera's factory blemish table")),
        5, 1);
    l->addWidget(
        MakeUnavailable(
            tr("R"), "factoryBlemishRead2",
            tr("Sensor2: reads the position at this index of the camera's factory blemish table")),
        5, 2);
    l->addWidget(Caption(tr("Write")), 6, 0);
    l->addWidget(MakeUnavailable(tr("W"), "factoryBlemishWrite1",
                                 tr("Sensor1: writes the position typed above at this index of the "
                                    "camera's factory blemish table")),
                 6, 1);
    l->addWidget(MakeUnavailable(tr("W"), "factoryBlemishWrite2",
                                 tr("Sensor2: writes the position typed above at this index of the "
                                    "camera's factory blemish table")),
                 6, 2);
    col->addWidget(g);
    col->addWidget(SensorGroup(tr("Boot Area Set"), {{"", 3813, 0}}, false));
    // Laid out but never shown: the 2-tap port order is set by the factory
    // tools, not from the panel.
    QGroupBox* tto = SensorGroup(tr("2TAP Out Port"), {{"", TTO, 0}}, false);
    tto->setVisible(false);
    col->addWidget(tto);
    col->addStretch(1);
    h->addLayout(col);
  }
  {
    auto* col = new QVBoxLayout;
    col->setSpacing(4);
    const struct {
      const char* text;
      const char* name;
      const char* does;
    } buttons[] = {
        {QT_TR_NOOP("AFE Write"), "buttonAFEWrite",
         QT_TR_NOOP("Opens the window that reads and writes the sensors' AFE registers")},
        {QT_TR_NOOP("DAC Write"), "buttonDACWrite",
         QT_TR_NOOP("Opens the window that writes the camera's DAC values")},
        {QT_TR_NOOP("FPGA R/W"), "buttonFPGARW",
         QT_TR_NOOP("Opens the window that reads and writes FPGA registers")},
        {QT_TR_NOOP("Temp"), "buttonTemp",
         QT_TR_NOOP("Opens the monitor of the camera's temperatures")},
        {QT_TR_NOOP("Terminal"), "buttonTerminal",
         QT_TR_NOOP("Opens the terminal: command lines to the camera and its replies")},
        {QT_TR_NOOP("Sensor Mem"), "buttonSensorMem",
         QT_TR_NOOP("Opens the window that reads and writes the sensors' memory")},
        {QT_TR_NOOP("Init Flash Data"), "buttonInitFlashData",
         QT_TR_NOOP(
             "Sets the camera's flash back to its initial data (in effect after a restart)")},
        {QT_TR_NOOP("Camera ID"), "buttonCameraID",
         QT_TR_NOOP("Opens the window that writes the camera's serial number into its flash")},
        {QT_TR_NOOP("Camera Reset"), "buttonCameraReset", QT_TR_NOOP("Restarts the camera")},
        {QT_TR_NOOP("Store All"), "buttonStoreAll",
         QT_TR_NOOP("Stores the camera's current settings into every setting area of its flash")},
    };
    for (const auto& b : buttons)
      col->addWidget(MakeUnavailable(tr(b.text), b.name, tr(b.does)));
    col->addStretch(1);
    h->addLayout(col);
  }
  return area;
}

void CKestrelDlg::BuildMenus() {
  auto unavailable = [](QAction* a, const char* name) {
    a->setObjectName(name);
    a->setEnabled(false);
    a->setToolTip(tr(kNotAvailable));
    a->setStatusTip(tr(kNotAvailable));
  };
  // Entries that open a window before anything happens end in "…".
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->setToolTipsVisible(true);
  QAction* open = file->addAction(tr("&Open…"));
  unavailable(open, "actionOpen");
  open->setShortcut(QKeySequence::Open);
  recentMenu_ = file->addMenu(tr("Open &Recent"));
  recentMenu_->menuAction()->setObjectName("menuRecent");
  connect(recentMenu_, &QMenu::aboutToShow, this, &CKestrelDlg::FillRecentMenu);
  QAction* save = file->addAction(tr("&Save as…"));
  unavailable(save, "actionSaveAs");
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  unavailable(file->addAction(tr("&Compare with Camera…")), "actionCompareWithCamera");
  file->addSeparator();
  unavailable(file->addAction(tr("&Back Up Camera…")), "actionBackUpCamera");
  unavailable(file->addAction(tr("Res&tore Camera…")), "actionRestoreCamera");
  file->addSeparator();
  QAction* exit = file->addAction(tr("E&xit"));
  exit->setObjectName("actionExit");
  exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QMenu* settings = menuBar()->addMenu(tr("&Settings"));
  settings->setToolTipsVisible(true);
  unavailable(settings->addAction(tr("&Reload")), "actionReload");
  // Reads every parameter again and sends nothing (Reload makes the camera
  // load its setting area first).
  QAction* reread = settings->addAction(tr("Read &camera again"));
  reread->setObjectName("actionReread");
  reread->setShortcut(QKeySequence(Qt::Key_F5));
  connect(reread, &QAction::triggered, this, &CKestrelDlg::ReadCameraAgain);
  unavailable(settings->addAction(tr("&Load settings…")), "actionLoadSettings");
  unavailable(settings->addAction(tr("&Store settings…")), "actionStoreSettings");

  QMenu* data = menuBar()->addMenu(tr("&Data"));
  data->setToolTipsVisible(true);
  const struct {
    const char* text;
    const char* name;
  } kinds[] = {{QT_TR_NOOP("Pixel &Black"), "menuPixelBlack"},
               {QT_TR_NOOP("Pixel &Gain"), "menuPixelGain"},
               {QT_TR_NOOP("S&hading"), "menuShading"}};
  for (const auto& kind : kinds) {
    QMenu* sub = data->addMenu(tr(kind.text));
    sub->setToolTipsVisible(true);
    sub->menuAction()->setObjectName(kind.name);
    sub->setEnabled(false);
    sub->menuAction()->setToolTip(tr(kNotAvailable));
  }
  data->addSeparator();
  unavailable(data->addAction(tr("&View Correction Data…")), "actionViewCorrectionData");

  // The tool windows; the service windows only in FACTORY mode, where the
  // panel shows their buttons.
  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->setToolTipsVisible(true);
  unavailable(tools->addAction(tr("&Terminal…")), "actionTerminal");
  QMenu* routines = tools->addMenu(tr("Terminal &Routines"));
  routines->menuAction()->setObjectName("menuTerminalRoutines");
  routines->setEnabled(false);
  unavailable(tools->addAction(tr("&Communication…")), "actionCommunication");
  QAction* serviceSeparator = tools->addSeparator();
  const struct {
    const char* text;
    const char* button;
  } service[] = {{QT_TR_NOOP("&AFE Registers…"), "buttonAFEWrite"},
                 {QT_TR_NOOP("&DAC Values…"), "buttonDACWrite"},
                 {QT_TR_NOOP("&FPGA Registers…"), "buttonFPGARW"},
                 {QT_TR_NOOP("T&emperature…"), "buttonTemp"},
                 {QT_TR_NOOP("Sensor &Memory…"), "buttonSensorMem"},
                 {QT_TR_NOOP("Camera &ID…"), "buttonCameraID"}};
  QList<QAction*> serviceActions{serviceSeparator};
  for (const auto& entry : service) {
    QAction* a = tools->addAction(tr(entry.text));
    const QString button = entry.button;
    a->setObjectName(QString("action") + QString(entry.button).mid(6));
    // The same as the factory area's button, while that button works.
    connect(a, &QAction::triggered, this, [this, button] {
      if (QPushButton* b = ToolButton(button); b && b->isEnabled()) b->click();
    });
    serviceActions << a;
  }
  connect(tools, &QMenu::aboutToShow, this, [this, service, serviceActions] {
    for (int i = 0; i < 6; ++i) {
      QPushButton* b = ToolButton(service[i].button);
      serviceActions[i + 1]->setEnabled(b && b->isEnabled());
    }
  });
  auto showService = [serviceActions](int mode) {
    for (QAction* a : serviceActions)
      a->setVisible(mode == kModeFactory);
  };
  showService(Config().operatingMode);
  connect(this, &CKestrelDlg::modeChanged, this, showService);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->setToolTipsVisible(true);
  QAction* manual = help->addAction(tr("&Manual"));
  manual->setObjectName("actionManual");
  manual->setShortcut(QKeySequence::HelpContents);
  connect(manual, &QAction::triggered, this, &CKestrelDlg::OpenManual);
  unavailable(help->addAction(tr("&About this application…")), "actionAbout");
}

}  // namespace kestrel
