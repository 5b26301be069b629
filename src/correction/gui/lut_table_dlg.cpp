#include "correction/gui/lut_table_dlg.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/file_messages.h"
#include "correction/lut_table.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// The graph: 261 x 261 pixels so that the lines at 260 show. It sits at the
// editor's client position (160, 20), the origin the mouse rules are written
// for, and hands its mouse moves over in the editor's client pixels.
class LutGraph : public QWidget {
 public:
  explicit LutGraph(CLUTDlg& dlg) : QWidget(&dlg), dlg_(dlg) {
    setObjectName("lutGraph");
    setGeometry(LutEditPoints::kGraphLeft, LutEditPoints::kGraphTop, kLutGraphSize + 1,
                kLutGraphSize + 1);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint p = e->position().toPoint() + pos();
    dlg_.MouseMove(p.x(), p.y(), e->buttons(), e->modifiers());
  }

  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    // The graph is drawn in the colours of an edit field of the palette.
    const QPalette& colours = palette();
    p.fillRect(rect(), colours.color(QPalette::Base));
    const int w = kLutGraphSize, h = kLutGraphSize;
    QPen grid(colours.color(QPalette::Mid), 1);
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
    p.setPen(QPen(curve, 2));
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

// The buttons stand right of the graph; left of it only the axis labels and
// a word on the mouse.
constexpr int kSideLeft = 446;
constexpr int kSideWidth = 150;

QPushButton* Button(QWidget* parent, const QString& text, int y) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName("button_" + QString(text).remove(' ').remove('.'));
  b->setAutoDefault(false);
  b->setGeometry(kSideLeft, y, kSideWidth, 28);
  return b;
}

QLabel* Axis(QWidget* parent, const QString& text, QRect where, Qt::Alignment align) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(where);
  l->setAlignment(align);
  return l;
}

}  // namespace

CLUTDlg::CLUTDlg(CCamCmd& cmd, QtUserInterface& ui, int channel, QWidget* parent)
    : QDialog(parent), cmd_(cmd), ui_(ui), channel_(channel == 0 ? 0 : 1) {
  setObjectName(channel_ == 0 ? "lutEditor1" : "lutEditor2");
  setWindowTitle(QString("LUT Setting for Ch%1").arg(channel_ + 1));
  setModal(false);
  setFixedSize(kSideLeft + kSideWidth + 12, 306);

  auto* status = new QGroupBox("Current Mode Status", this);
  status->setGeometry(kSideLeft, 12, kSideWidth, 52);
  modeText_ = new QLabel(status);
  modeText_->setObjectName("lutMode");
  modeText_->setAlignment(Qt::AlignCenter);
  auto* sl = new QVBoxLayout(status);
  sl->setContentsMargins(4, 2, 4, 4);
  sl->addWidget(modeText_);

  connect(Button(this, "Read Table Data", 76), &QPushButton::clicked, this,
          &CLUTDlg::ReadTableData);
  connect(Button(this, "Write Table Data", 108), &QPushButton::clicked, this,
          &CLUTDlg::WriteTableData);
  connect(Button(this, "Clear Table Data", 140), &QPushButton::clicked, this,
          &CLUTDlg::ClearTableData);
  connect(Button(this, "Load Gamma File...", 184), &QPushButton::clicked, this,
          &CLUTDlg::AskLoadGamma);
  connect(Button(this, "Save Gamma File...", 216), &QPushButton::clicked, this,
          &CLUTDlg::AskSaveGamma);
  connect(Button(this, "Close", 262), &QPushButton::clicked, this, &QDialog::hide);

  graph_ = new LutGraph(*this);
  const int gx = LutEditPoints::kGraphLeft, gy = LutEditPoints::kGraphTop;
  Axis(this, "4095", QRect(gx - 44, gy - 7, 40, 14), Qt::AlignRight | Qt::AlignVCenter);
  Axis(this, "2048", QRect(gx - 44, gy + 130 - 7, 40, 14), Qt::AlignRight | Qt::AlignVCenter);
  Axis(this, "0", QRect(gx - 20, gy + 264, 40, 14), Qt::AlignHCenter | Qt::AlignTop);
  Axis(this, "128", QRect(gx + 128 - 20, gy + 264, 40, 14), Qt::AlignHCenter | Qt::AlignTop);
  Axis(this, "255", QRect(gx + 260 - 20, gy + 264, 40, 14), Qt::AlignHCenter | Qt::AlignTop);
  auto* hint = new QLabel(
      "Drag with the left button to add or move a point, with the right button to delete one.",
      this);
  hint->setWordWrap(true);
  hint->setGeometry(10, 170, 100, 110);
  hint->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  QPalette quiet = hint->palette();
  quiet.setColor(QPalette::WindowText, quiet.color(QPalette::PlaceholderText));
  hint->setPalette(quiet);
  SetMode(Edit);
}

void CLUTDlg::SetMode(int mode) {
  mode_ = mode;
  modeText_->setText(mode == Edit ? "Edit Mode" : mode == View ? "View Mode" : "Unknown Mode");
  graph_->update();
}

void CLUTDlg::ReadTableData() {
  ui_.BeginBusy();
  const int read = ReadLutTable(cmd_, channel_, table_);
  ui_.EndBusy();
  // The entries that came stay on the graph, with the reason the rest did not.
  if (read < kLutEntries) ui_.Show(cmd_.LastFailure());
  activateWindow();
  SetMode(View);
}

void CLUTDlg::WriteTableData() {
  // In Edit mode the table on the screen is the one computed at the last
  // repaint; make sure it is current before it goes out.
  if (mode_ == Edit) table_ = points_.Table();
  ui_.BeginBusy();
  const int ok = WriteLutTable(cmd_, channel_, table_);
  ui_.EndBusy();
  if (!ok) ui_.Show(cmd_.LastFailure());
}

void CLUTDlg::ClearTableData() {
  points_.Clear();
  SetMode(Edit);
}

void CLUTDlg::MouseMove(int px, int py, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  LutEditPoints::Buttons b = LutEditPoints::Buttons::Other;
  if (mods == Qt::NoModifier && buttons == Qt::LeftButton) b = LutEditPoints::Buttons::LeftOnly;
  if (mods == Qt::NoModifier && buttons == Qt::RightButton) b = LutEditPoints::Buttons::RightOnly;
  if (points_.MouseMove(px, py, b)) graph_->update();
}

bool CLUTDlg::LoadGamma(const QString& path) {
  if (Failure failure = LoadGammaFile(path.toStdString(), table_)) {
    ui_.Show(failure);
    return false;
  }
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
      this, {false, QDir::currentPath().toStdString(), "csv", "Camera gamma data (*.csv)", {}}));
  if (!path.isEmpty()) LoadGamma(path);
}

void CLUTDlg::AskSaveGamma() {
  const QString path = QString::fromStdString(ChooseFile(
      this, {true, QDir::currentPath().toStdString(), "csv", "Camera gamma data (*.csv)", {}}));
  if (path.isEmpty() || !ConfirmOverwrite(ui_, path.toStdString())) return;
  SaveGamma(path);
}

}  // namespace kestrel
