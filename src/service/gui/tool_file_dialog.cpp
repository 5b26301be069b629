#include "service/gui/tool_file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace kestrel {

namespace {

ToolFileChooser& Chooser() {
  static ToolFileChooser chooser;
  return chooser;
}

}  // namespace

void SetToolFileChooser(ToolFileChooser chooser) {
  Chooser() = std::move(chooser);
}

std::string ChooseToolFile(QWidget* parent, const ToolFileRequest& request) {
  if (Chooser()) return Chooser()(request);
  QFileDialog dialog(parent);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QString::fromStdString(request.extension));
  dialog.setNameFilter(request.filter);
  const QString folder = QString::fromStdString(request.folder);
  dialog.setDirectory(folder.isEmpty() || !QDir(folder).exists() ? QDir::currentPath() : folder);
  // The program asks its own overwrite question, with its own texts.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace kestrel
