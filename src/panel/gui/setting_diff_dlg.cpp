#include "panel/gui/setting_diff_dlg.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/panel_commands.h"
#include "panel/setting_file.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

constexpr int kQueryMs = 3000;

// Keeps the panel busy for the camera traffic, on every way out.
class Busy {
 public:
  explicit Busy(PanelCommands& commands) : commands_(commands) { commands_.Busy(true); }
  ~Busy() { commands_.Busy(false); }

 private:
  PanelCommands& commands_;
};

}  // namespace

CCompareDlg::CCompareDlg(CKestrelDlg& panel, PanelCommands& commands, QtUserInterface& ui)
    : QDialog(&panel), panel_(panel), commands_(commands), ui_(ui) {
  setObjectName("compareDlg");
  setWindowTitle(tr("Compare with Camera"));
  setSizeGripEnabled(true);
  summary_ = new QLabel;
  summary_->setObjectName("compareSummary");
  table_ = new QTableWidget(0, 4);
  table_->setObjectName("compareTable");
  table_->setHorizontalHeaderLabels({"Caption", "Mnemonic", "File value", "Camera value"});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setSortingEnabled(true);

  auto* apply = new QPushButton(tr("Apply selected to camera"));
  apply->setObjectName("compareApply");
  auto* save = new QPushButton(tr("Save camera values as..."));
  save->setObjectName("compareSave");
  auto* close = new QPushButton(tr("Close"));
  for (QPushButton* b : {apply, save, close})
    b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(apply);
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);

  connect(apply, &QPushButton::clicked, this, &CCompareDlg::ApplySelected);
  connect(save, &QPushButton::clicked, this, [this] {
    Settings& s = panel_.Config();
    const std::string path =
        ChooseFile(this, {true, s.dataPath, "cam", "Camera setting data (*.cam)", {}});
    if (path.empty() || !ConfirmOverwrite(ui_, path)) return;
    if (SaveCameraValues(QString::fromStdString(path))) s.dataPath = FolderOf(path);
  });
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  connect(table_, &QTableWidget::itemSelectionChanged, this,
          [this, apply] { apply->setEnabled(!table_->selectedItems().isEmpty()); });
  apply->setEnabled(false);
  resize(760, 420);
}

bool CCompareDlg::Compare(const QString& path) {
  std::string text;
  if (std::string why = ReadInputFile(path.toStdString(), kMaxSettingFileBytes, text);
      !why.empty()) {
    ui_.Show({FailureKind::FileError, path.toStdString() + "\nCouldn't open this file\n" + why,
              MsgIcon::Warning, "File Open Error"});
    return false;
  }
  CCamCmd& cmd = panel_.Cmd();
  const SettingRows rows = ReadSettingRows(cmd, text);
  if (!rows.problems.empty()) {
    std::string message = path.toStdString();
    for (size_t i = 0; i < rows.problems.size() && i < 10; ++i)
      message += "\n" + rows.problems[i];
    if (rows.problems.size() > 10)
      message += "\n(" + std::to_string(rows.problems.size() - 10) + " more)";
    ui_.Report(message + "\nThe file was not compared.", MsgIcon::Warning);
    return false;
  }
  path_ = path;
  {
    Busy busy(commands_);
    values_ = ReadCameraValues(cmd, rows.rows, kQueryMs);
  }
  Fill();
  return true;
}

void CCompareDlg::Fill() {
  differences_ = DiffWithCamera(panel_.Cmd(), values_);
  table_->setSortingEnabled(false);
  table_->clearContents();
  table_->setRowCount(static_cast<int>(differences_.size()));
  for (size_t i = 0; i < differences_.size(); ++i) {
    const SettingDifference& d = differences_[i];
    const QString camera = QString::fromStdString(d.hasOther ? d.other : "(" + d.reason + ")");
    const QString cells[4] = {QString::fromStdString(d.caption), QString::fromStdString(d.name),
                              QString::fromStdString(d.file), camera};
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setData(Qt::UserRole, d.cmdIndex);
      if (!d.hasOther) item->setForeground(Qt::red);
      table_->setItem(static_cast<int>(i), c, item);
    }
  }
  table_->setSortingEnabled(true);
  const int unread = values_.Unread();
  const QString count = QString::number(values_.rows.size());
  const QString name = QFileInfo(path_).fileName();
  QString summary =
      differences_.empty()
          ? QString("The camera holds every value of %1 (%2 parameters).").arg(name, count)
          : QString("%1 of the %2 parameters of %3 differ from the camera.")
                .arg(QString::number(differences_.size()), count, name);
  if (unread > 0) summary += QString(" %1 could not be read.").arg(unread);
  summary_->setText(summary);
}

void CCompareDlg::ApplySelected() {
  std::set<int> chosen;
  for (const QTableWidgetItem* item : table_->selectedItems())
    chosen.insert(item->data(Qt::UserRole).toInt());
  std::vector<SettingRow> rows;
  std::vector<std::string> lines;
  CCamCmd& cmd = panel_.Cmd();
  for (const SettingRow& r : values_.rows)
    if (chosen.count(r.cmdIndex)) {
      rows.push_back(r);
      lines.push_back(cmd.FormatSet(r.cmdIndex, r.value, false));
    }
  if (rows.empty()) return;
  {
    Busy busy(commands_);
    if (ReplaySettingText(JoinCrLf(lines), cmd, &commands_.PanelSide(), &ui_).FailureRecorded())
      commands_.ShowReplayFailure();
    // What the camera took, not what was sent: into the comparison and the
    // panel's controls alike.
    const CameraValues reread = ReadCameraValues(cmd, rows, kQueryMs);
    BindingTable& table = panel_.Table();
    for (size_t i = 0; i < reread.rows.size(); ++i) {
      const int cmdIndex = reread.rows[i].cmdIndex;
      for (size_t k = 0; k < values_.rows.size(); ++k)
        if (values_.rows[k].cmdIndex == cmdIndex) {
          values_.camera[k] = reread.camera[i];
          values_.reasons[k] = reread.reasons[i];
        }
      const int id = table.CmdId2CtrlId(cmdIndex);
      if (id >= 0 && reread.reasons[i].empty()) {
        table.SetParam(static_cast<uint32_t>(id), reread.camera[i]);
        table.UpdateControl(static_cast<uint32_t>(id), reread.camera[i]);
      }
    }
    table.SaveBaseline();
  }
  Fill();
}

bool CCompareDlg::SaveCameraValues(const QString& path) {
  const int unread = values_.Unread();
  if (unread > 0) {
    // A file with the file's values in place of the camera's would say the
    // camera holds them.
    ui_.Report(std::to_string(unread) +
                   " parameters could not be read from the camera; no file was written.",
               MsgIcon::Warning);
    return false;
  }
  if (!WriteFileAtomically(path.toStdString(), JoinCrLf(CameraValueLines(panel_.Cmd(), values_)))) {
    ui_.Show(CannotRead(path.toStdString()));
    return false;
  }
  return true;
}

}  // namespace kestrel
