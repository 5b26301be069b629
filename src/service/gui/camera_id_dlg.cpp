#include "service/gui/camera_id_dlg.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

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
  // A box takes a whole pasted ID for a moment and hands it on, a character
  // a box.
  auto* printable = new QRegularExpressionValidator(QRegularExpression("[\\x20-\\x7E]*"), this);
  const int width = fontMetrics().horizontalAdvance("W") + 16;
  for (size_t i = 0; i < boxes_.size(); ++i) {
    auto* box = new QLineEdit(QString::fromStdString(initial[i]));
    box->setMaxLength(static_cast<int>(boxes_.size()));
    box->setValidator(printable);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, [this, i](const QString& text) { Spread(i, text); });
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(width);
    boxes_[i] = box;
    row->addWidget(box);
  }
  top->addLayout(row);
  set_ = new QPushButton(tr("Set"));
  FinishLayout({set_});

  connect(set_, &QPushButton::clicked, this, &CDlgCameraId::SaveCameraId);
}

void CDlgCameraId::Spread(size_t i, const QString& text) {
  if (text.isEmpty()) return;
  size_t next = i;
  for (const QChar c : text) {
    if (next >= boxes_.size()) break;
    boxes_[next++]->setText(c);
  }
  QLineEdit* focus = boxes_[std::min(next, boxes_.size() - 1)];
  focus->setFocus(Qt::OtherFocusReason);
  focus->selectAll();
}

bool CDlgCameraId::eventFilter(QObject* watched, QEvent* e) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box && e->type() == QEvent::FocusIn) {
    // The box's character is replaced by what is typed next.
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
  } else if (box && e->type() == QEvent::KeyPress &&
             static_cast<QKeyEvent*>(e)->key() == Qt::Key_Backspace && box->text().isEmpty()) {
    // Backspace in an empty box goes back to the one before.
    for (size_t i = 1; i < boxes_.size(); ++i)
      if (boxes_[i] == box) {
        boxes_[i - 1]->setFocus(Qt::OtherFocusReason);
        boxes_[i - 1]->clear();
        return true;
      }
  }
  return ToolWindow::eventFilter(watched, e);
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
    if (ok)
      ui.Report(tr("The camera ID %1 is saved in the camera's flash.")
                    .arg(QString::fromStdString(CameraIdFromBoxes(ids)))
                    .toStdString(),
                MsgIcon::Information);
  });
}

}  // namespace kestrel
