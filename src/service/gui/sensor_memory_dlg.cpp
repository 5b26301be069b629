#include "service/gui/sensor_memory_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "base/file_messages.h"
#include "base/text_file.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"
#include "service/gui/tool_context.h"
#include "service/sensor_memory.h"

namespace kestrel {

namespace {

QComboBox* OffOn() {
  auto* c = new QComboBox;
  c->addItems({"OFF", "ON"});
  return c;
}

}  // namespace

CSensMem::CSensMem(ToolContext& tools, QWidget* parent)
    : ToolWindow("Sensor Memory", tools.Ui(), parent), tools_(tools) {
  QVBoxLayout* top = Body();

  auto* switches = new QGroupBox(tr("Switches"));
  auto* s = new QGridLayout(switches);
  sensor_ = OffOn();
  trigger_ = OffOn();
  s->addWidget(new QLabel(tr("Sensor")), 0, 0);
  s->addWidget(sensor_, 0, 1);
  s->addWidget(new QLabel(tr("Trigger")), 1, 0);
  s->addWidget(trigger_, 1, 1);
  s->setColumnStretch(2, 1);
  top->addWidget(switches);

  auto* memory = new QGroupBox(tr("Memory"));
  auto* m = new QGridLayout(memory);
  colour_ = new QComboBox;
  for (const std::string& c : SensorMemoryColourItems())
    colour_->addItem(QString::fromStdString(c));
  block_ = new QComboBox;
  for (const std::string& b : SensorMemoryBlockItems())
    block_->addItem(QString::fromStdString(b));
  block_->setMaxVisibleItems(19);
  load_ = new QPushButton(tr("Load"));
  save_ = new QPushButton(tr("Save"));
  m->addWidget(new QLabel(tr("Color")), 0, 0);
  m->addWidget(colour_, 0, 1);
  m->addWidget(new QLabel(tr("Block")), 1, 0);
  m->addWidget(block_, 1, 1);
  m->addWidget(load_, 0, 2);
  m->addWidget(save_, 1, 2);
  top->addWidget(memory);

  FinishLayout();

  // Only the user's choices send; a refresh sets the lists with signals blocked.
  connect(sensor_, &QComboBox::currentIndexChanged, this, [this] { SwitchChanged(false); });
  connect(trigger_, &QComboBox::currentIndexChanged, this, [this] { SwitchChanged(true); });
  connect(load_, &QPushButton::clicked, this, &CSensMem::Load);
  connect(save_, &QPushButton::clicked, this, &CSensMem::Save);
}

void CSensMem::SwitchChanged(bool trigger) {
  QComboBox* box = trigger ? trigger_ : sensor_;
  tools_.Operation([&] {
    tools_.ShowOutcome(SetSensorSwitch(
        tools_.Cmd(), trigger ? SensorSwitch::Trigger : SensorSwitch::Sensor, box->currentIndex()));
  });
}

void CSensMem::Refresh() {
  tools_.Operation([this] {
    int sensor = sensor_->currentIndex();
    int trigger = trigger_->currentIndex();
    const int ok = RefreshSensorSwitches(tools_.Cmd(), sensor, trigger);
    tools_.ShowQueryOutcome(ok);
    const QSignalBlocker blockSensor(sensor_);
    const QSignalBlocker blockTrigger(trigger_);
    // A value outside OFF and ON shows no selection rather than a wrong one;
    // one that was not read keeps its selection.
    if (sensor != sensor_->currentIndex())
      sensor_->setCurrentIndex(sensor == 0 || sensor == 1 ? sensor : -1);
    if (trigger != trigger_->currentIndex())
      trigger_->setCurrentIndex(trigger == 0 || trigger == 1 ? trigger : -1);
  });
}

void CSensMem::Load() {
  Settings& settings = tools_.Cmd().Config();
  FileRequest request{false, settings.dumpFile, "csv", "Camera gamma data (*.csv)", {}};
  const std::string path = ChooseFile(this, request);
  if (path.empty()) return;
  tools_.Operation([&] {
    tools_.ShowOutcome(
        LoadSensorMemory(tools_.Cmd(), colour_->currentIndex(), block_->currentIndex(), path));
  });
}

void CSensMem::Save() {
  Settings& settings = tools_.Cmd().Config();
  FileRequest request{true, settings.dumpFile, "csv", "csv file (*.csv)", {}};
  const std::string path = ChooseFile(this, request);
  if (path.empty() || !ConfirmOverwrite(tools_.Ui(), path)) return;
  settings.dumpFile = FolderOf(path);
  tools_.Operation([&] {
    tools_.ShowOutcome(
        SaveSensorMemory(tools_.Cmd(), colour_->currentIndex(), block_->currentIndex(), path));
  });
}

}  // namespace kestrel
