#include "service/gui/about_info_dlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/label.h"
#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"
#include "service/about_info.h"
#include "service/gui/tool_context.h"

namespace kestrel {

namespace {

QLabel* Field() {
  auto* l = new QLabel;
  l->setFrameShape(QFrame::StyledPanel);
  l->setFrameShadow(QFrame::Sunken);
  // Camera text is shown as it came, never as markup.
  l->setTextFormat(Qt::PlainText);
  l->setMinimumWidth(l->fontMetrics().horizontalAdvance("MMMMMMMMMMMMMMMM") + 10);
  return l;
}

}  // namespace

CAboutDlg::CAboutDlg(ToolContext& tools, QWidget* parent)
    : ToolWindow(QString("About %1").arg(kProductName), tools.Ui(), parent), tools_(tools) {
  QVBoxLayout* top = Body();

  auto* product = new QLabel(kProductName);
  QFont big = product->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.4);
  product->setFont(big);
  top->addWidget(product);
  top->addWidget(new QLabel(QString("Version: %1").arg(kProgramVersion)));
  link_ = new CLabel(kWebAddress);
  link_->SetLinkEnabled(true);
  // The colour of links in the palette in use, light or dark.
  link_->SetForeColor(palette().color(QPalette::Link));
  link_->SetUnderline(true);
  link_->SetHoverCursor(QCursor(Qt::PointingHandCursor));
  top->addWidget(link_);

  auto* camera = new QGroupBox(tr("Camera"));
  auto* g = new QGridLayout(camera);
  model_ = Field();
  cameraId_ = Field();
  firmware_ = Field();
  fpga1_ = Field();
  fpga2_ = Field();
  int r = 0;
  for (auto [caption, field] : {std::pair<const char*, QLabel*>{"Model Name", model_},
                                {"Camera ID", cameraId_},
                                {"Firmware Version", firmware_},
                                {"FPGA1 Version", fpga1_},
                                {"FPGA2 Version", fpga2_}}) {
    g->addWidget(new QLabel(caption), r, 0);
    g->addWidget(field, r++, 1, 1, 2);
  }
  userId_ = new QLineEdit;
  save_ = new QPushButton(tr("Save User ID"));
  g->addWidget(new QLabel(tr("User ID")), r, 0);
  g->addWidget(userId_, r, 1);
  g->addWidget(save_, r++, 2);
  protect_ = new QRadioButton(tr("Protect User ID"));
  edit_ = new QRadioButton(tr("Enable To Edit User ID"));
  auto* radios = new QButtonGroup(this);
  radios->addButton(protect_);
  radios->addButton(edit_);
  protect_->setChecked(true);
  g->addWidget(protect_, r, 1);
  g->addWidget(edit_, r++, 2);
  top->addWidget(camera);

  auto* helpBox = new QGroupBox(tr("Help File"));
  auto* h = new QHBoxLayout(helpBox);
  help_ = new QComboBox;
  help_->setMinimumWidth(200);
  view_ = new QPushButton(tr("View Help File"));
  h->addWidget(help_, 1);
  h->addWidget(view_);
  top->addWidget(helpBox);
  FinishLayout({}, false);

  FillHelpList();
  ApplyProtection();
  connect(protect_, &QRadioButton::toggled, this, &CAboutDlg::ApplyProtection);
  connect(save_, &QPushButton::clicked, this, &CAboutDlg::SaveUserId);
  connect(view_, &QPushButton::clicked, this, &CAboutDlg::ViewHelpFile);
}

void CAboutDlg::ApplyProtection() {
  const bool editable = edit_->isChecked();
  userId_->setEnabled(editable);
  save_->setEnabled(editable);
}

void CAboutDlg::FillHelpList() {
  help_->clear();
  for (const std::string& name : ListHelpFiles(QDir::currentPath().toStdString()))
    help_->addItem(QString::fromStdString(name));
  help_->setCurrentIndex(help_->count() > 0 ? 0 : -1);
}

void CAboutDlg::RefreshCameraData() {
  tools_.Operation([this] {
    CameraInfo info;
    const int read = kestrel::RefreshCameraData(tools_.Cmd(), info);
    // Fields after the first failed query keep what they showed.
    const std::pair<QLabel*, const std::string*> fields[] = {{model_, &info.modelName},
                                                             {cameraId_, &info.cameraId},
                                                             {firmware_, &info.firmwareVersion},
                                                             {fpga2_, &info.fpga2Version},
                                                             {fpga1_, &info.fpga1Version}};
    for (int i = 0; i < read && i < 5; ++i)
      fields[i].first->setText(QString::fromStdString(*fields[i].second));
    if (read >= 6) userId_->setText(QString::fromStdString(info.userId));
  });
}

void CAboutDlg::SaveUserId() {
  tools_.Operation([this] {
    const std::string id = userId_->text().toStdString();
    // An ID too long is refused by SaveUserId without asking.
    if (id.size() <= kUserIdMax &&
        !tools_.Ui().ConfirmFlashWrite(tr("Write the user ID \"%1\" into the camera?\n"
                                          "This overwrites the user ID stored there.")
                                           .arg(userId_->text())))
      return;
    const int ok = kestrel::SaveUserId(tools_.Cmd(), id);
    tools_.ShowOutcome(ok);
    if (ok && tools_.Cmd().Config().offline != 1)
      tools_.Ui().Report(UserIdSavedText(id), MsgIcon::Information);
  });
}

void CAboutDlg::ViewHelpFile() {
  if (help_->currentIndex() < 0) {
    tools_.Ui().Report(tr("Choose a help file from the list first.").toStdString(),
                       MsgIcon::Information);
    return;
  }
  // Only a name from the list, which lists the local folder: never a text
  // the camera sent.
  OpenWithDesktop(DesktopTarget(help_->currentText()));
}

}  // namespace kestrel
