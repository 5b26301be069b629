#include "panel/gui/areas_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/link_lamp.h"
#include "panel/areas.h"

namespace kestrel {

CAreaSelDlg::CAreaSelDlg(QWidget* owner, bool loading, int operatingMode, int currentArea,
                         int linkState)
    : QDialog(owner) {
  setObjectName("areaSelDlg");
  setWindowTitle(tr("EEPROM Area Select"));
  const AreaChoice choice = AreaSelection(loading, operatingMode, currentArea);

  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(14, 12, 14, 8);
  v->setSpacing(10);
  prompt_ = new QLabel(QString::fromStdString(choice.prompt));
  prompt_->setObjectName("ctl3109");
  v->addWidget(prompt_);
  list_ = new QComboBox;
  list_->setObjectName("ctl1011");
  for (const std::string& item : choice.items)
    list_->addItem(QString::fromStdString(item));
  list_->setCurrentIndex(choice.selection);
  v->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(buttons);
  strip_ = new LinkLamp(2263);
  strip_->SetState(linkState);
  v->addWidget(strip_);
  setWindowTitle(QString::fromStdString(choice.title));
  setMinimumWidth(320);
}

void CAreaSelDlg::SetLinkState(int online) {
  strip_->SetState(online);
}

void CAreaSelDlg::accept() {
  area_ = AreaOfItem(list_->currentText().toStdString());
  QDialog::accept();
}

}  // namespace kestrel
