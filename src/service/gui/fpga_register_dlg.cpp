#include "service/gui/fpga_register_dlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"
#include "service/fpga_register.h"
#include "service/gui/tool_context.h"

namespace kestrel {

namespace {

QLabel* Result() {
  auto* l = new QLabel("---");
  l->setFrameShape(QFrame::StyledPanel);
  l->setFrameShadow(QFrame::Sunken);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setMinimumWidth(l->fontMetrics().horizontalAdvance("-2147483648") + 10);
  // The camera's reply is shown, never interpreted.
  l->setTextFormat(Qt::PlainText);
  return l;
}

}  // namespace

CDlgFpgaReg::CDlgFpgaReg(ToolContext& tools, QWidget* parent)
    : ToolWindow("FPGA Read/Write", tools.Ui(), parent), tools_(tools) {
  QVBoxLayout* top = Body();

  auto* reg = new QGroupBox(tr("Register"));
  auto* g = new QGridLayout(reg);
  offset_ = new QLineEdit("0");
  data_ = new QLineEdit("0");
  g->addWidget(new QLabel(tr("Offset\nAddr (Hex)")), 0, 0);
  g->addWidget(new QLabel(tr("0x")), 0, 1);
  g->addWidget(offset_, 0, 2);
  g->addWidget(new QLabel(tr("Data (Hex)")), 1, 0);
  g->addWidget(new QLabel(tr("0x")), 1, 1);
  g->addWidget(data_, 1, 2);
  read_ = new QPushButton(tr("Read"));
  write_ = new QPushButton(tr("Write"));
  g->addWidget(read_, 0, 3);
  g->addWidget(write_, 1, 3);
  top->addWidget(reg);

  auto* acc = new QGroupBox(tr("Acc Sample Average"));
  auto* a = new QGridLayout(acc);
  average1_ = Result();
  average2_ = Result();
  get_ = new QPushButton(tr("Get"));
  sensor2_ = new QPushButton(tr("Sensor2"));
  sensor2_->setVisible(false);
  a->addWidget(new QLabel(tr("Sensor1")), 0, 0);
  a->addWidget(average1_, 0, 1);
  a->addWidget(new QLabel(tr("Sensor2")), 1, 0);
  a->addWidget(average2_, 1, 1);
  a->addWidget(get_, 0, 2);
  a->addWidget(sensor2_, 1, 2);
  top->addWidget(acc);

  FinishLayout();

  connect(read_, &QPushButton::clicked, this, &CDlgFpgaReg::Read);
  connect(write_, &QPushButton::clicked, this, &CDlgFpgaReg::Write);
  connect(get_, &QPushButton::clicked, this, &CDlgFpgaReg::Get);
  connect(sensor2_, &QPushButton::clicked, this, &CDlgFpgaReg::Sensor2);
}

void CDlgFpgaReg::Read() {
  tools_.Operation([this] {
    std::string data = data_->text().toStdString();
    const int ok = ReadFpgaRegister(tools_.Cmd(), offset_->text().toStdString(), data);
    tools_.ShowQueryOutcome(ok);
    if (ok) data_->setText(QString::fromStdString(data));
  });
}

void CDlgFpgaReg::Write() {
  tools_.Operation([this] {
    WriteFpgaRegister(tools_.Cmd(), offset_->text().toStdString(), data_->text().toStdString());
  });
}

void CDlgFpgaReg::Get() {
  tools_.Operation([this] {
    ReadAverage(1);
    ReadAverage(2);
  });
}

void CDlgFpgaReg::Sensor2() {
  tools_.Operation([this] { ReadAverage(2); });
}

void CDlgFpgaReg::ReadAverage(int sensor) {
  std::string text;
  const int ok = ReadSampleAverage(tools_.Cmd(), sensor, text);
  tools_.ShowQueryOutcome(ok);
  if (ok) Average(sensor)->setText(QString::fromStdString(text));
}

}  // namespace kestrel
