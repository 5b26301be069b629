#include "correction/gui/lut_table_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/file_messages.h"
#include "correction/lut_table.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// The graph: 261 x 261 units so that the lines at 260 show, drawn to the
// widget's size (the editor resizes). Its mouse moves go to the editor in the
// client pixels the mouse rules are written for, where the graph sits at
// (160, 20) and one unit is one pixel.
class LutGraph : public QWidget {
 public:
  explicit LutGraph(CLUTDlg& dlg) : QWidget(&dlg), dlg_(dlg) {
    setObjectName("lutGraph");
    setMinimumSize(kLutGraphSize + 1, kLutGraphSize + 1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    // The readout follows the mouse without a button too.
    setMouseTracking(true);
  }

  // A point of the widget in graph units.
  QPoint ToUnits(QPointF local) const {
    return QPoint(qRound(local.x() * (kLutGraphSize + 1) / width()),
                  qRound(local.y() * (kLutGraphSize + 1) / height()));
  }

 protected:
  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint u = ToUnits(e->position());
    dlg_.ShowReadout(u.x());
    if (e->buttons() == Qt::NoButton) return;
    dlg_.MouseMove(u.x() + LutEditPoints::kGraphLeft, u.y() + LutEditPoints::kGraphTop,
                   e->buttons(), e->modifiers());
  }
  void leaveEvent(QEvent*) override { dlg_.ShowReadout(-1); }

  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    // The graph is drawn in the colours of an edit field of the palette.
    const QPalette& colours = palette();
    p.fillRect(rect(), colours.color(QPalette::Base));
    p.scale(width() / double(kLutGraphSize + 1), height() / double(kLutGraphSize + 1));
    const int w = kLutGraphSize, h = kLutGraphSize;
    QPen grid(colours.color(QPalette::Mid), 1);
    grid.setCosmetic(true);
    p.setPen(grid);
    for (int x = 0; x < w; x += w / 10)
      p.drawLine(x, 0, x, h);
    for (int y = h - 1; y >= 0; y -= h / 10)
      p.drawLine(0, y, w, y);
    p.setRenderHint(QPainter::Antialiasing);
    if (dlg_.mode_ == CLUTDlg::Edit) {
      for (int i = 0; i < dlg_.points_.Count(); ++i) {
        const LutPoint& pt = dlg_.points_[i];
        p.drawEllipse(QRect(pt.x - 4, pt.y - 4, 8, 8));
      }
      // The table follows the points at every repaint in Edit mode; a write
      // sends what was last drawn.
      dlg_.table_ = dlg_.points_.Table();
    }
    // Sensor1 red, Sensor2 blue, each light enough for a dark field.
    const bool dark = colours.color(QPalette::Base).lightness() < 128;
    const QColor curve = dlg_.channel_ == 0 ? (dark ? QColor(0xff, 0x6e, 0x6e) : QColor(Qt::red))
                                            : (dark ? QColor(0x7f, 0xb2, 0xff) : QColor(Qt::blue));
    QPen line(curve, 2);
    line.setCosmetic(true);
    p.setPen(line);
    QPoint from = dlg_.mode_ == CLUTDlg::Edit ? QPoint(dlg_.points_[0].x, dlg_.points_[0].y)
                                              : QPoint(0, kLutGraphSize);
    for (const LutCurvePoint& c : LutCurve(dlg_.table_)) {
      if (!c.visible) continue;
      p.drawLine(from, QPoint(c.x, c.y));
      from = QPoint(c.x, c.y);
    }
  }

 private:
  CLUTDlg& dlg_;
};

namespace {

QPushButton* Button(const QString& name, const QString& text) {
  auto* b = new QPushButton(text);
  b->setObjectName("button_" + name);
  b->setAutoDefault(false);
  return b;
}

QLabel* Axis(const QString& text, Qt::Alignment align) {
  auto* l = new QLabel(text);
  l->setAlignment(align);
  return l;
}

}  // namespace

CLUTDlg::CLUTDlg(CCamCmd& cmd, QtUserInterface& ui, int channel, QWidget* parent)
    : QDialog(parent), cmd_(cmd), ui_(ui), channel_(channel == 0 ? 0 : 1) {
  setObjectName(channel_ == 0 ? "lutEditor1" : "lutEditor2");
  setWindowTitle(tr("LUT Setting for Ch%1").arg(channel_ + 1));
  setModal(false);
  setSizeGripEnabled(true);

  // Left: a word on the mouse and the output axis; the graph with the input
  // axis under it; right: the mode and the buttons.
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(10, 12, 10, 10);
  grid->setHorizontalSpacing(6);
  auto* hint = new QLabel(
      tr("Drag with the left button to add or move a point, with the right button to delete one."));
  hint->setWordWrap(true);
  hint->setFixedWidth(100);
  hint->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  QPalette quiet = hint->palette();
  quiet.setColor(QPalette::WindowText, quiet.color(QPalette::PlaceholderText));
  hint->setPalette(quiet);
  grid->addWidget(hint, 0, 0, 2, 1);
  auto* yAxis = new QVBoxLayout;
  yAxis->setContentsMargins(0, 0, 0, 0);
  yAxis->addWidget(Axis("4095", Qt::AlignRight | Qt::AlignTop));
  yAxis->addStretch(1);
  yAxis->addWidget(Axis("2048", Qt::AlignRight | Qt::AlignVCenter));
  yAxis->addStretch(1);
  yAxis->addSpacing(fontMetrics().height());
  grid->addLayout(yAxis, 0, 1);
  graph_ = new LutGraph(*this);
  grid->addWidget(graph_, 0, 2);
  auto* xAxis = new QHBoxLayout;
  xAxis->setContentsMargins(0, 0, 0, 0);
  xAxis->addWidget(Axis("0", Qt::AlignLeft | Qt::AlignTop));
  xAxis->addStretch(1);
  xAxis->addWidget(Axis("128", Qt::AlignHCenter | Qt::AlignTop));
  xAxis->addStretch(1);
  xAxis->addWidget(Axis("255", Qt::AlignRight | Qt::AlignTop));
  grid->addLayout(xAxis, 1, 2);
  readout_ = new QLabel;
  readout_->setObjectName("lutReadout");
  readout_->setMinimumWidth(
      fontMetrics().horizontalAdvance(tr("Input %1 \u2192 Output %2").arg(255).arg(4095)) + 8);
  grid->addWidget(readout_, 2, 2);

  auto* side = new QVBoxLayout;
  side->setSpacing(4);
  auto* status = new QGroupBox(tr("Current Mode Status"));
  modeText_ = new QLabel(status);
  modeText_->setObjectName("lutMode");
  modeText_->setAlignment(Qt::AlignCenter);
  auto* sl = new QVBoxLayout(status);
  sl->setContentsMargins(4, 2, 4, 4);
  sl->addWidget(modeText_);
  side->addWidget(status);
  side->addSpacing(8);
  const struct {
    const char* name;
    const char* text;
    const char* does;
    void (CLUTDlg::*slot)();
  } buttons[] = {
      {"ReadTableData", QT_TR_NOOP("Read Table Data"),
       QT_TR_NOOP("Reads this channel's LUT from the camera into the graph"),
       &CLUTDlg::ReadTableData},
      {"WriteTableData", QT_TR_NOOP("Write Table Data"),
       QT_TR_NOOP("Writes the table on the graph into this channel's LUT in the camera"),
       &CLUTDlg::WriteTableData},
      {"ClearTableData", QT_TR_NOOP("Clear Table Data"),
       QT_TR_NOOP("Starts the graph again from a straight line (nothing is sent)"),
       &CLUTDlg::ClearTableData},
      {"LoadGammaFile", QT_TR_NOOP("Load Gamma File…"),
       QT_TR_NOOP("Shows a table from a gamma file on the graph (nothing is sent)"),
       &CLUTDlg::AskLoadGamma},
      {"SaveGammaFile", QT_TR_NOOP("Save Gamma File…"),
       QT_TR_NOOP("Saves the table on the graph as a gamma file"), &CLUTDlg::AskSaveGamma},
  };
  for (const auto& b : buttons) {
    QPushButton* button = Button(b.name, tr(b.text));
    button->setToolTip(tr(b.does));
    connect(button, &QPushButton::clicked, this, b.slot);
    side->addWidget(button);
    if (b.slot == &CLUTDlg::ClearTableData) side->addSpacing(8);
  }
  side->addStretch(1);
  QPushButton* close = Button("Close", tr("Close"));
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  side->addWidget(close);
  grid->addLayout(side, 0, 3, 3, 1);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(0, 1);
  SetMode(Edit);
  ShowReadout(-1);
}

void CLUTDlg::ShowReadout(int gx) {
  if (gx < 0 || gx > kLutGraphSize) {
    readout_->setText(tr("Input \u2013 \u2192 Output \u2013"));
    return;
  }
  const int input =
      std::clamp((gx * (kLutEntries - 1) + kLutGraphSize / 2) / kLutGraphSize, 0, kLutEntries - 1);
  readout_->setText(
      tr("Input %1 \u2192 Output %2").arg(input).arg(Table()[static_cast<size_t>(input)]));
}

bool CLUTDlg::MayClose() {
  if (!unwritten_) return true;
  const MsgAnswer a =
      ui_.Report(tr("The table drawn for Ch%1 has not been written to the camera.\nWrite it now?")
                     .arg(channel_ + 1)
                     .toStdString(),
                 MsgIcon::Question, MsgButtons::YesNoCancel, windowTitle().toStdString());
  if (a == MsgAnswer::Cancel) return false;
  if (a == MsgAnswer::Yes) {
    WriteTableData();
    return !unwritten_;
  }
  // No: the drawing is dropped.
  ClearTableData();
  return true;
}

void CLUTDlg::reject() {
  // Escape closes like the Close button.
  close();
}

void CLUTDlg::closeEvent(QCloseEvent* e) {
  if (MayClose())
    QDialog::closeEvent(e);
  else
    e->ignore();
}

void CLUTDlg::SetMode(int mode) {
  mode_ = mode;
  modeText_->setText(mode == Edit   ? tr("Edit Mode")
                     : mode == View ? tr("View Mode")
                                    : tr("Unknown Mode"));
  graph_->update();
}

void CLUTDlg::ReadTableData() {
  ui_.BeginBusy();
  const int read = ReadLutTable(cmd_, channel_, table_);
  ui_.EndBusy();
  // The entries that came stay on the graph, with the reason the rest did not.
  if (read < kLutEntries) ui_.Show(cmd_.LastFailure());
  activateWindow();
  unwritten_ = false;
  SetMode(View);
}

void CLUTDlg::WriteTableData() {
  // In Edit mode the table on the screen is the one computed at the last
  // repaint; make sure it is current before it goes out.
  if (mode_ == Edit) table_ = points_.Table();
  ui_.BeginBusy();
  const int ok = WriteLutTable(cmd_, channel_, table_);
  ui_.EndBusy();
  if (!ok)
    ui_.Show(cmd_.LastFailure());
  else
    unwritten_ = false;
}

void CLUTDlg::ClearTableData() {
  points_.Clear();
  unwritten_ = false;
  SetMode(Edit);
}

void CLUTDlg::MouseMove(int px, int py, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  LutEditPoints::Buttons b = LutEditPoints::Buttons::Other;
  if (mods == Qt::NoModifier && buttons == Qt::LeftButton) b = LutEditPoints::Buttons::LeftOnly;
  if (mods == Qt::NoModifier && buttons == Qt::RightButton) b = LutEditPoints::Buttons::RightOnly;
  if (points_.MouseMove(px, py, b)) {
    unwritten_ = mode_ == Edit;
    graph_->update();
  }
}

bool CLUTDlg::LoadGamma(const QString& path) {
  if (Failure failure = LoadGammaFile(path.toStdString(), table_)) {
    ui_.Show(failure);
    return false;
  }
  unwritten_ = false;
  SetMode(View);
  return true;
}

bool CLUTDlg::SaveGamma(const QString& path) {
  if (mode_ == Edit) table_ = points_.Table();
  const Failure failure = SaveGammaFile(path.toStdString(), table_);
  ui_.Show(failure);
  return !failure;
}

void CLUTDlg::AskLoadGamma() {
  const QString path = QString::fromStdString(ChooseFile(
      this,
      {false, QDir::currentPath().toStdString(), "csv", tr("Camera gamma data (*.csv)"), {}}));
  if (!path.isEmpty()) LoadGamma(path);
}

void CLUTDlg::AskSaveGamma() {
  const QString path = QString::fromStdString(ChooseFile(
      this, {true, QDir::currentPath().toStdString(), "csv", tr("Camera gamma data (*.csv)"), {}}));
  if (path.isEmpty() || !ConfirmOverwrite(ui_, path.toStdString())) return;
  SaveGamma(path);
}

}  // namespace kestrel
