#include "correction/gui/calibration_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "base/settings.h"
#include "gui/link_lamp.h"
#include "gui/qt_user_interface.h"
#include "gui/translation.h"
#include "panel/binding_table.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// ---------------------------------------------------------------- link lamp

namespace {

// The dot beside a calibration dialog's buttons.
LinkLamp* LampFollowing(QtUserInterface& ui, QWidget* parent) {
  auto* lamp = new LinkLamp(0, parent, LinkLamp::Look::Dot);
  lamp->Follow(ui);
  return lamp;
}

}  // namespace

// ---------------------------------------------------------------- CDlgCorrect

uint32_t CDlgCorrect::SettingControlOf(int target) {
  static constexpr uint32_t kIds[kCorrectionTargets] = {ctrl::SDC,  ctrl::PGC,  ctrl::PBC,
                                                        ctrl::SDC2, ctrl::PGC2, ctrl::PBC2};
  return kIds[target < 0 || target >= kCorrectionTargets ? 0 : target];
}

CDlgCorrect::CDlgCorrect(CKestrelDlg& panel, QtUserInterface& ui, int target,
                         CalibrationTiming timing)
    : QDialog(&panel), panel_(panel), ui_(ui), target_(target), timing_(timing) {
  const CorrectionTarget& t = CorrectionTargetOf(target);
  setObjectName("dlgCorrect");
  setWindowTitle(Translated(t.title));
  setModal(true);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 12, 14, 12);
  grid->setHorizontalSpacing(16);
  grid->setVerticalSpacing(6);
  grid->addWidget(new QLabel(tr("Select correction settings")), 0, 0);
  list_ = new QComboBox;
  list_->setObjectName("settingList");
  for (const char* text : CorrectionSettingTexts())
    list_->addItem(Translated(text));
  grid->addWidget(list_, 1, 0);
  runLabel_ = new QLabel(tr("Re-calibrate & store correction setting"));
  grid->addWidget(runLabel_, 2, 0);
  run_ = new QPushButton(Translated(t.runText));
  run_->setObjectName("runButton");
  run_->setAutoDefault(false);
  grid->addWidget(run_, 3, 0);
  auto* side = new QVBoxLayout;
  side->addWidget(LampFollowing(ui, this), 0, Qt::AlignRight);
  side->addStretch(1);
  auto* close = new QPushButton(tr("Close"));
  close->setObjectName("closeButton");
  close->setAutoDefault(false);
  side->addWidget(close);
  grid->addLayout(side, 0, 1, 4, 1);

  // The panel's buffer holds what the camera said at the last refresh: no
  // query on opening.
  setting_ = panel_.Table().GetParamInt(SettingControlOf(target_));
  if (setting_ < 0 || setting_ > 2) setting_ = 0;
  list_->setCurrentIndex(setting_);
  UpdateRunButton();

  connect(list_, &QComboBox::activated, this, &CDlgCorrect::OnSettingChanged);
  connect(run_, &QPushButton::clicked, this, [this] { RunAutoCorrection(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void CDlgCorrect::UpdateRunButton() {
  const bool on = RunButtonEnabled(setting_, panel_.Config().operatingMode);
  run_->setEnabled(on);
  runLabel_->setEnabled(on);
}

void CDlgCorrect::OnSettingChanged(int index) {
  if (index < 0 || index > 2) return;
  setting_ = index;
  BindingTable& table = panel_.Table();
  const uint32_t id = SettingControlOf(target_);
  table.SetParamInt(id, index);
  table.SendChangedParams();
  table.UpdateAllControls();
  // The label beside the panel's button shows what the camera now holds.
  table.ReadCalibrationStatus(target_);
  UpdateRunButton();
}

AutoCorrectionResult CDlgCorrect::RunAutoCorrection() {
  if (setting_ == 0) return AutoCorrectionResult::NotRun;
  run_->setEnabled(false);
  last_ = kestrel::RunAutoCorrection(panel_.Cmd(), ui_, target_, setting_, timing_);
  if (last_ == AutoCorrectionResult::Completed)
    ui_.Report(CorrectionTargetOf(target_).completedText, MsgIcon::Information);
  else if (last_ != AutoCorrectionResult::Cancelled)  // the person declined the prompt
    ui_.Show(panel_.Cmd().LastFailure());
  UpdateRunButton();
  return last_;
}

// ---------------------------------------------------------------- CDlgColumnCal

CDlgColumnCal::CDlgColumnCal(CKestrelDlg& panel, QtUserInterface& ui)
    : QDialog(&panel), panel_(panel), ui_(ui) {
  setObjectName("dlgColumnCal");
  setWindowTitle(tr("Column Buffer Calibration"));
  setModal(true);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(14, 12, 14, 12);
  auto* top = new QHBoxLayout;
  message_ = new QLabel(Translated(ColumnCalibration::InitialMessage()));
  message_->setObjectName("columnMessage");
  message_->setWordWrap(true);
  message_->setMinimumWidth(420);
  top->addWidget(message_, 1);
  top->addWidget(LampFollowing(ui, this), 0, Qt::AlignTop);
  v->addLayout(top);

  // The entries take their room from the start, so the dialog lays out the
  // same before and after "Start" at any size.
  auto* entries = new QGridLayout;
  const char* const names[3] = {"A.Black R", "A.Black G", "A.Black B"};
  for (int i = 0; i < 3; ++i) {
    auto* spin = new QSpinBox;
    spin->setObjectName(QString("aBlack%1").arg("RGB"[i]));
    spin->setRange(0, 255);
    spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    // Sent when committed (Enter, focus loss, a step), not at every key.
    spin->setKeyboardTracking(false);
    spin->setMinimumWidth(spin->sizeHint().width() + 24);
    entries->addWidget(new QLabel(names[i]), 0, i);
    entries->addWidget(spin, 1, i);
    entries_ << spin;
    connect(spin, &QSpinBox::valueChanged, this, [this, i](int value) {
      if (steps_.Step() == 1) steps_.SetBlack(panel_.Cmd(), ui_, i, value);
    });
  }
  v->addLayout(entries);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  start_ = new QPushButton(tr("Start"));
  ok_ = new QPushButton(tr("OK"));
  cancel_ = new QPushButton(tr("Cancel"));
  start_->setObjectName("startButton");
  cancel_->setObjectName("cancelButton");
  ok_->setObjectName("okButton");
  for (QPushButton* b : {start_, ok_, cancel_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  v->addLayout(buttons);
  ShowStep();

  connect(start_, &QPushButton::clicked, this, &CDlgColumnCal::OnStart);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok_, &QPushButton::clicked, this, &CDlgColumnCal::OnOk);
}

void CDlgColumnCal::ShowStep() {
  const bool started = steps_.Step() == 1;
  message_->setText(Translated(started ? ColumnCalibration::AdjustMessage()
                                       : ColumnCalibration::InitialMessage()));
  start_->setEnabled(!started);
  ok_->setEnabled(started);
  for (QSpinBox* spin : entries_)
    spin->setEnabled(started);
}

void CDlgColumnCal::OnStart() {
  if (!steps_.Start(panel_.Cmd(), ui_)) return;
  // "AFM=7C,0" has set the black of every colour to 0.
  for (QSpinBox* spin : entries_) {
    const QSignalBlocker block(spin);
    spin->setValue(0);
  }
  ShowStep();
}

void CDlgColumnCal::OnOk() {
  if (steps_.Ok(panel_.Cmd(), ui_)) accept();
}

void CDlgColumnCal::reject() {
  steps_.Cancel(panel_.Cmd(), ui_);
  QDialog::reject();
}

// ---------------------------------------------------------------- CDlgReadoutCal

CDlgReadoutCal::CDlgReadoutCal(CKestrelDlg& panel, QtUserInterface& ui)
    : QDialog(&panel), panel_(panel), ui_(ui) {
  setObjectName("dlgReadoutCal");
  setWindowTitle(tr("Readout CH Calibration"));
  setModal(true);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 12, 14, 12);
  grid->addWidget(new QLabel(tr("Color")), 0, 0);
  colour_ = new QComboBox;
  colour_->setObjectName("colourList");
  for (const char* c : kReadoutColours)
    colour_->addItem(Translated(c));
  colour_->setCurrentIndex(0);
  grid->addWidget(colour_, 0, 1);
  grid->addWidget(LampFollowing(ui, this), 0, 2, Qt::AlignRight);
  auto* start = new QPushButton(tr("Start"));
  auto* cancel = new QPushButton(tr("Cancel"));
  auto* ok = new QPushButton(tr("OK"));
  start->setObjectName("startButton");
  cancel->setObjectName("cancelButton");
  ok->setObjectName("okButton");
  ok->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {start, cancel, ok}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  grid->addLayout(buttons, 1, 0, 1, 3);
  connect(start, &QPushButton::clicked, this, [this] {
    if (ReadoutCalibration(panel_.Cmd(), ui_, colour_->currentIndex()) == 1)
      accept();
    else
      reject();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace kestrel
