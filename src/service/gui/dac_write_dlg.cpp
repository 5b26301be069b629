#include "service/gui/dac_write_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/qt_user_interface.h"
#include "panel/gui/bound_widgets.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"
#include "service/dac_write.h"
#include "service/gui/tool_context.h"

namespace kestrel {

CDlgDAC::CDlgDAC(ToolContext& tools, QWidget* parent)
    : ToolWindow("DAC Write", tools.Ui(), parent), tools_(tools) {
  auto* top = new QHBoxLayout;
  Body()->addLayout(top);
  auto* left = new QVBoxLayout;
  top->addLayout(left);

  auto* ad = new QGroupBox(tr("AD5590"));
  auto* a = new QGridLayout(ad);
  function_ = new QComboBox;
  for (const std::string& f : Ad5590FunctionItems())
    function_->addItem(QString::fromStdString(f));
  int widest = 0;
  for (int i = 0; i < function_->count(); ++i)
    widest = std::max(widest, fontMetrics().horizontalAdvance(function_->itemText(i)));
  function_->setMinimumWidth(widest + 48);  // the text, the frame and the arrow
  sensor_ = new QComboBox;
  for (const std::string& s : DacSensorItems())
    sensor_->addItem(QString::fromStdString(s));
  channel_ = new QComboBox;
  for (const std::string& c : DacChannelItems())
    channel_->addItem(QString::fromStdString(c));
  channel_->setMaxVisibleItems(16);
  adData_ = new QLineEdit("0");
  adWrite_ = new QPushButton(tr("Write"));
  a->addWidget(new QLabel(tr("Cmd")), 0, 0);
  a->addWidget(function_, 0, 1, 1, 2);
  a->addWidget(new QLabel(tr("Sensor")), 1, 0);
  a->addWidget(sensor_, 1, 1, 1, 2);
  a->addWidget(new QLabel(tr("Channel")), 2, 0);
  a->addWidget(channel_, 2, 1, 1, 2);
  a->addWidget(new QLabel(tr("Data")), 3, 0);
  a->addWidget(adData_, 3, 1);
  a->addWidget(adWrite_, 3, 2);
  left->addWidget(ad);

  auto* bh = new QGroupBox(tr("BH2220"));
  auto* b = new QGridLayout(bh);
  bhData_ = new QLineEdit("0");
  bhWrite_ = new QPushButton(tr("Write"));
  b->addWidget(new QLabel(tr("Data")), 0, 0);
  b->addWidget(bhData_, 0, 1);
  b->addWidget(bhWrite_, 0, 2);
  left->addWidget(bh);
  left->addStretch(1);

  auto* offsets = new QGroupBox(tr("Black Offset (DAC)"));
  auto* o = new QGridLayout(offsets);
  o->setVerticalSpacing(2);
  o->addWidget(new QLabel(tr("Sensor1")), 0, 1, Qt::AlignCenter);
  o->addWidget(new QLabel(tr("Sensor2")), 0, 2, Qt::AlignCenter);
  for (int row = 0; row < kDacChannels; ++row) {
    auto* label = new QLabel(QString("DAC%1").arg(row));
    o->addWidget(label, row + 1, 0);
    // Each odd row shares its DAC with the even row above; only the even row is
    // edited and the odd one shows what the camera made of it.
    const bool editable = BlackOffsetRowEditable(row);
    label->setEnabled(editable);
    for (int column = 1; column <= 2; ++column) {
      SpinEdit* spin = tools_.MakeBoundSpin(BlackOffsetMnemonic(column, row), offsets,
                                            [this](uint32_t id) { RefreshPartner(id); });
      spin->setEnabled(editable);
      offsets_[column - 1][row] = spin;
      o->addWidget(spin, row + 1, column);
    }
  }
  top->addWidget(offsets);

  FinishLayout();

  connect(adWrite_, &QPushButton::clicked, this, &CDlgDAC::WriteAd5590);
  connect(bhWrite_, &QPushButton::clicked, this, &CDlgDAC::WriteBh2220);
}

void CDlgDAC::WriteAd5590() {
  tools_.Operation([this] {
    tools_.ShowOutcome(kestrel::WriteAd5590(tools_.Cmd(), function_->currentIndex(),
                                            sensor_->currentIndex(), channel_->currentIndex(),
                                            adData_->text().toStdString()));
  });
}

void CDlgDAC::WriteBh2220() {
  tools_.Operation([this] {
    tools_.ShowOutcome(kestrel::WriteBh2220(tools_.Cmd(), bhData_->text().toStdString()));
  });
}

void CDlgDAC::RefreshPartner(uint32_t id) {
  BindingTable& table = tools_.Panel().Table();
  const int row = table.CtrlId2CmdId(id);
  if (row >= 0) {
    const std::string partner = BlackOffsetPartner(tools_.Cmd().Table()[row].mnemonic);
    if (const uint32_t partnerId = partner.empty() ? 0 : tools_.ControlOf(partner))
      table.ReadParamFromCamera(partnerId);
  }
  table.SaveBaseline();
}

}  // namespace kestrel
