#include "service/gui/camera_id_dlg.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/qt_user_interface.h"
#include "protocol/cam_cmd.h"
#include "service/camera_id.h"
#include "service/gui/tool_context.h"

namespace kestrel {

CDlgCameraId::CDlgCameraId(ToolContext& tools, QWidget* parent)
    : ToolWindow("Camera ID Set", tools.Ui(), parent), tools_(tools) {
  QVBoxLayout* top = Body();
  auto* row = new QHBoxLayout;
  row->setSpacing(3);
  const CameraIdBoxes initial = InitCameraIdBoxes(tools_.Cmd().Config());
  // One printable ASCII character a box: the ID goes into an 8-bit command
  // line, where a wider character would arrive as several bytes of garbage.
  auto* oneChar = new QRegularExpressionValidator(QRegularExpression("[\\x20-\\x7E]?"), this);
  const int width = fontMetrics().horizontalAdvance("W") + 16;
  for (size_t i = 0; i < boxes_.size(); ++i) {
    auto* box = new QLineEdit(QString::fromStdString(initial[i]));
    box->setMaxLength(1);
    box->setValidator(oneChar);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(width);
    boxes_[i] = box;
    row->addWidget(box);
  }
  top->addLayout(row);
  set_ = new QPushButton("Set");
  FinishLayout({set_});

  connect(set_, &QPushButton::clicked, this, &CDlgCameraId::SaveCameraId);
}

void CDlgCameraId::SaveCameraId() {
  CameraIdBoxes ids;
  for (size_t i = 0; i < boxes_.size(); ++i)
    ids[i] = boxes_[i]->text().toStdString();
  QtUserInterface& ui = tools_.Ui();
  tools_.Operation([&] {
    if (!ui.ConfirmFlashWrite(tr("Write the camera ID \"%1\" into the camera?\n"
                                 "This overwrites the camera ID stored there.")
                                  .arg(QString::fromStdString(CameraIdFromBoxes(ids)))))
      return;
    const int ok = kestrel::SaveCameraId(tools_.Cmd(), ids);
    tools_.ShowOutcome(ok);
    if (ok) ui.Report(CameraIdSavedText(CameraIdFromBoxes(ids)), MsgIcon::Information);
  });
}

}  // namespace kestrel
