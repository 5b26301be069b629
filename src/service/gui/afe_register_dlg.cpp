#include "service/gui/afe_register_dlg.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/file_messages.h"
#include "base/text_file.h"
#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "panel/gui/bound_widgets.h"
#include "protocol/cam_cmd.h"
#include "service/afe_register.h"
#include "service/gui/tool_context.h"

namespace kestrel {

CSensReg::CSensReg(ToolContext& tools, QWidget* parent)
    : ToolWindow("AFE Write", tools.Ui(), parent), tools_(tools) {
  QVBoxLayout* top = Body();

  auto* reg = new QGroupBox(tr("AFE Register"));
  auto* g = new QGridLayout(reg);
  g->addWidget(new QLabel(tr("Selector")), 0, 0);
  g->addWidget(new QLabel(tr("Address")), 0, 1);
  g->addWidget(new QLabel(tr("Data")), 0, 2);
  selector_ = new QComboBox;
  for (const std::string& s : AfeSelectorItems())
    selector_->addItem(QString::fromStdString(s));
  address_ = new QComboBox;
  for (const std::string& s : AfeAddressItems())
    address_->addItem(QString::fromStdString(s));
  address_->setMaxVisibleItems(20);
  data_ = new QLineEdit("0");
  data_->setMaximumWidth(90);
  write_ = new QPushButton(tr("Write"));
  g->addWidget(selector_, 1, 0);
  g->addWidget(address_, 1, 1);
  g->addWidget(data_, 1, 2);
  g->addWidget(write_, 1, 3);
  load_ = new QPushButton(tr("Load"));
  save_ = new QPushButton(tr("Save"));
  for (QPushButton* b : {load_, save_}) {
    b->setVisible(false);
    b->setEnabled(false);
  }
  top->addWidget(reg);

  auto* taps = new QGroupBox(tr("Sample positions (tap 1 to 16)"));
  auto* t = new QGridLayout(taps);
  t->setHorizontalSpacing(8);
  t->setVerticalSpacing(3);
  // Two blocks of eight taps side by side: Sensor1's taps left, Sensor2's right.
  for (int block = 0; block < 2; ++block) {
    const int col = block * 4;
    t->addWidget(new QLabel(tr("SHDLOC")), 0, col + 1, Qt::AlignCenter);
    t->addWidget(new QLabel(tr("SHPLOC")), 0, col + 2, Qt::AlignCenter);
    for (int r = 0; r < 8; ++r) {
      const int tap = block * 8 + r + 1;
      t->addWidget(new QLabel(QString("TAP%1").arg(tap)), r + 1, col);
      shdloc_[tap - 1] = tools_.MakeBoundSpin(ShdlocMnemonic(tap), taps);
      shploc_[tap - 1] = tools_.MakeBoundSpin(ShplocMnemonic(tap), taps);
      t->addWidget(shdloc_[tap - 1], r + 1, col + 1);
      t->addWidget(shploc_[tap - 1], r + 1, col + 2);
    }
    if (block == 0) t->setColumnMinimumWidth(3, 16);
  }
  top->addWidget(taps);

  FinishLayout({load_, save_});

  connect(write_, &QPushButton::clicked, this, &CSensReg::WriteAfeRegister);
  connect(load_, &QPushButton::clicked, this, &CSensReg::LoadRegisterFile);
  connect(save_, &QPushButton::clicked, this, &CSensReg::SaveRegisterFile);
  auto* loadAction = new QAction(tr("Load register table…"), this);
  auto* saveAction = new QAction(tr("Save register table…"), this);
  connect(loadAction, &QAction::triggered, this, &CSensReg::LoadRegisterFile);
  connect(saveAction, &QAction::triggered, this, &CSensReg::SaveRegisterFile);
  addAction(loadAction);
  addAction(saveAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CSensReg::WriteAfeRegister() {
  tools_.Operation([this] {
    tools_.ShowOutcome(kestrel::WriteAfeRegister(tools_.Cmd(), selector_->currentIndex(),
                                                 address_->currentIndex(),
                                                 data_->text().toStdString()));
  });
}

void CSensReg::LoadRegisterFile() {
  Settings& settings = tools_.Cmd().Config();
  FileRequest request{false, settings.dumpFile, "csv", "Camera gamma data (*.csv)", {}};
  const std::string path = ChooseFile(this, request);
  if (path.empty()) return;
  // Loading leaves the tool folder where it was.
  tools_.Operation([&] { tools_.ShowOutcome(kestrel::LoadRegisterFile(tools_.Cmd(), path)); });
}

void CSensReg::SaveRegisterFile() {
  Settings& settings = tools_.Cmd().Config();
  FileRequest request{true, settings.dumpFile, "csv", "csv file (*.csv)", {}};
  const std::string path = ChooseFile(this, request);
  if (path.empty() || !ConfirmOverwrite(tools_.Ui(), path)) return;
  settings.dumpFile = FolderOf(path);
  tools_.Operation([&] { tools_.ShowOutcome(kestrel::SaveRegisterFile(tools_.Cmd(), path)); });
}

}  // namespace kestrel
