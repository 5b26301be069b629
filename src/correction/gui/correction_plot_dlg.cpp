#include "correction/gui/correction_plot_dlg.h"

#include <QBuffer>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/settings.h"
#include "base/text_file.h"
#include "base/text_scan.h"
#include "correction/data_transfer.h"
#include "correction/gui/correction_plot.h"
#include "correction/gui/correction_tools.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

const QColor kColours[] = {QColor(31, 119, 180),  QColor(255, 127, 14),  QColor(44, 160, 44),
                           QColor(214, 39, 40),   QColor(148, 103, 189), QColor(140, 86, 75),
                           QColor(227, 119, 194), QColor(127, 127, 127)};

QString Number(double v) {
  return QString::fromStdString(FixedText(v, std::abs(v - std::round(v)) < 1e-9 ? 0 : 3));
}

}  // namespace

CCorrectionPlotDlg::CCorrectionPlotDlg(CDataTransfer& transfer, QtUserInterface& ui,
                                       Settings& config, QWidget* parent)
    : QDialog(parent), transfer_(transfer), ui_(ui), config_(config) {
  setObjectName("correctionPlotDlg");
  setWindowTitle(tr("Correction Data"));
  setSizeGripEnabled(true);

  auto* top = new QHBoxLayout;
  kind_ = new QComboBox;
  kind_->setObjectName("plotKind");
  for (int k = 0; k < kCorrectionKindCount; ++k)
    kind_->addItem(QString::fromUtf8(InfoOf(static_cast<CorrectionKind>(k)).name));
  auto* read = new QPushButton(tr("Read from Camera"));
  read->setObjectName("plotRead");
  auto* open = new QPushButton(tr("Open File..."));
  open->setObjectName("plotOpen");
  mode_ = new QComboBox;
  mode_->setObjectName("plotMode");
  mode_->addItems({"Overlay", "Difference (camera - file)"});
  auto* whole = new QPushButton(tr("Whole Line"));
  auto* png = new QPushButton(tr("Export PNG..."));
  auto* csv = new QPushButton(tr("Export Statistics..."));
  for (QPushButton* b : {read, open, whole, png, csv})
    b->setAutoDefault(false);
  top->addWidget(new QLabel(tr("Kind")));
  top->addWidget(kind_);
  top->addWidget(read);
  top->addWidget(open);
  top->addWidget(mode_);
  top->addStretch(1);
  top->addWidget(whole);
  top->addWidget(png);
  top->addWidget(csv);

  plot_ = new CorrectionPlot;
  plot_->setObjectName("plot");
  plot_->setToolTip(tr("Wheel: zoom, drag: pan, double click: the whole line"));
  cursor_ = new QLabel(tr(" "));
  cursor_->setObjectName("plotCursor");

  table_ = new QTableWidget(0, 8);
  table_->setObjectName("plotStatistics");
  table_->setHorizontalHeaderLabels(
      {"Series", "Count", "Min", "Max", "Mean", "Std dev", "Noise", "Outliers"});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);
  outliers_ = new QListWidget;
  outliers_->setObjectName("plotOutliers");
  outliers_->setToolTip(tr("Pixels beyond 3 × noise from the running median; click to show one"));

  auto* bottom = new QSplitter(Qt::Horizontal);
  bottom->addWidget(table_);
  bottom->addWidget(outliers_);
  bottom->setStretchFactor(0, 3);
  bottom->setStretchFactor(1, 2);
  auto* split = new QSplitter(Qt::Vertical);
  auto* upper = new QWidget;
  auto* upperLayout = new QVBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->addWidget(plot_, 1);
  upperLayout->addWidget(cursor_);
  split->addWidget(upper);
  split->addWidget(bottom);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  split->setSizes({420, 180});

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(split, 1);

  connect(read, &QPushButton::clicked, this,
          [this] { ReadCamera(static_cast<CorrectionKind>(kind_->currentIndex())); });
  connect(open, &QPushButton::clicked, this, [this] {
    const QString path = AskPath(false, "csv", "Correction data (*.csv)");
    if (!path.isEmpty()) OpenFile(path);
  });
  connect(mode_, &QComboBox::currentIndexChanged, this, [this](int i) { SetDifference(i == 1); });
  connect(whole, &QPushButton::clicked, plot_, &CorrectionPlot::ShowWholeLine);
  connect(png, &QPushButton::clicked, this, [this] {
    const QString path = AskPath(true, "png", "PNG image (*.png)");
    if (!path.isEmpty() && ConfirmOverwrite(ui_, path.toStdString())) ExportPng(path);
  });
  connect(csv, &QPushButton::clicked, this, [this] {
    const QString path = AskPath(true, "csv", "Statistics (*.csv)");
    if (!path.isEmpty() && ConfirmOverwrite(ui_, path.toStdString())) ExportStatistics(path);
  });
  connect(plot_, &CorrectionPlot::cursorMoved, this, &CCorrectionPlotDlg::ShowCursor);
  connect(outliers_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { plot_->ShowPixel(item->data(Qt::UserRole).toInt()); });
  resize(900, 640);
  Rebuild();
}

QString CCorrectionPlotDlg::AskPath(bool save, const char* extension, const char* filter) {
  const std::string path = ChooseFile(this, {save, config_.dumpFile, extension, filter, {}});
  if (!path.empty()) config_.dumpFile = FolderOf(path);
  return QString::fromStdString(path);
}

bool CCorrectionPlotDlg::ReadCamera(CorrectionKind kind) {
  const CorrectionKindInfo& info = InfoOf(kind);
  kind_->setCurrentIndex(static_cast<int>(kind));
  std::vector<Series> read;
  // The transfer pumps messages between its commands: no second read meanwhile.
  setEnabled(false);
  ui_.BeginBusy();
  bool ok = true;
  for (int sensor = 1; ok && sensor <= (info.mnemonic2 ? 2 : 1); ++sensor) {
    std::vector<int32_t> values(static_cast<size_t>(info.count));
    ok = transfer_.ReadCorrection(kind, values.data(), sensor) == 1;
    for (Series& s : SeriesOfArray("Sensor" + std::to_string(sensor), values, info.perCommand))
      read.push_back(std::move(s));
  }
  ui_.EndBusy();
  setEnabled(true);
  if (!ShowOutcome(ui_, ok ? 1 : 0, transfer_.Cmd().LastFailure())) return false;
  camera_ = std::move(read);
  Rebuild();
  return true;
}

bool CCorrectionPlotDlg::OpenFile(const QString& path) {
  std::string text;
  if (std::string why = ReadInputFile(path.toStdString(), DataFileCap(3 * 2048 * 8), text);
      !why.empty()) {
    ui_.Show(Failure(FailureKind::FileError,
                     path.toStdString() + "\nCouldn't open this file\n" + why, MsgIcon::Warning,
                     "File Open Error"));
    return false;
  }
  std::vector<Series> read;
  std::string problem;
  if (!ReadSeriesText(text, read, &problem)) {
    ui_.Show(Failure(FailureKind::BadInput, path.toStdString() + "\n" + problem));
    return false;
  }
  file_ = std::move(read);
  Rebuild();
  return true;
}

void CCorrectionPlotDlg::SetDifference(bool on) {
  if (mode_->currentIndex() != (on ? 1 : 0)) {
    mode_->setCurrentIndex(on ? 1 : 0);  // comes back here through the signal
    return;
  }
  Rebuild();
}

void CCorrectionPlotDlg::Rebuild() {
  const bool difference = mode_->currentIndex() == 1 && !camera_.empty() && !file_.empty();
  mode_->setEnabled(!camera_.empty() && !file_.empty());
  shown_.clear();
  if (difference) {
    // Each camera series against the file's series in the same place (a
    // one-column file against every sensor).
    for (size_t i = 0; i < camera_.size(); ++i) {
      const Series& f = file_[std::min(i, file_.size() - 1)];
      Series d{camera_[i].name + " - " + f.name, {}};
      for (size_t p = 0; p < camera_[i].values.size() && p < f.values.size(); ++p)
        d.values.push_back(camera_[i].values[p] - f.values[p]);
      shown_.push_back(std::move(d));
    }
  } else {
    shown_ = camera_;
    shown_.insert(shown_.end(), file_.begin(), file_.end());
  }

  stats_.clear();
  std::vector<CorrectionPlot::Curve> curves;
  table_->setSortingEnabled(false);
  table_->setRowCount(static_cast<int>(shown_.size()));
  outliers_->clear();
  for (size_t i = 0; i < shown_.size(); ++i) {
    const Series& s = shown_[i];
    stats_.push_back(ComputeStats(s.values));
    const SeriesStats& st = stats_.back();
    const QString name = QString::fromStdString(s.name);
    CorrectionPlot::Curve c{name, kColours[i % std::size(kColours)], s.values, {}};
    for (const Outlier& o : st.outliers) {
      c.marks.push_back(o.pixel);
      auto* item = new QListWidgetItem(QString("%1: pixel %2 = %3 (median %4)")
                                           .arg(name)
                                           .arg(o.pixel)
                                           .arg(Number(o.value), Number(o.median)));
      item->setData(Qt::UserRole, o.pixel);
      item->setForeground(c.color);
      outliers_->addItem(item);
    }
    curves.push_back(std::move(c));
    const QString cells[8] = {name,
                              QString::number(st.count),
                              Number(st.minimum),
                              Number(st.maximum),
                              Number(st.mean),
                              Number(st.stddev),
                              Number(st.noise),
                              QString::number(st.outliers.size())};
    for (int col = 0; col < 8; ++col)
      table_->setItem(static_cast<int>(i), col, new QTableWidgetItem(cells[col]));
  }
  plot_->SetCurves(std::move(curves));
}

void CCorrectionPlotDlg::ShowCursor(int pixel) {
  if (pixel < 0) {
    cursor_->setText(tr(" "));
    return;
  }
  QStringList parts;
  for (const Series& s : shown_)
    if (static_cast<size_t>(pixel) < s.values.size())
      parts << QString("%1 %2").arg(QString::fromStdString(s.name),
                                    Number(s.values[static_cast<size_t>(pixel)]));
  cursor_->setText(QString("pixel %1:  %2").arg(pixel).arg(parts.join(",  ")));
}

bool CCorrectionPlotDlg::ExportPng(const QString& path) {
  const QImage image = plot_->grab().toImage();
  // The image goes through the same atomic writer as every other file.
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
  }
  if (!WriteFileAtomically(path.toStdString(), bytes.toStdString())) {
    ui_.Show(CannotCreate(path.toStdString()));
    return false;
  }
  return true;
}

bool CCorrectionPlotDlg::ExportStatistics(const QString& path) {
  if (!WriteFileAtomically(path.toStdString(), StatsCsv(shown_, stats_))) {
    ui_.Show(CannotCreate(path.toStdString()));
    return false;
  }
  return true;
}

}  // namespace kestrel
