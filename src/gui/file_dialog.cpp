#include "gui/file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace kestrel {

namespace {

FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}

}  // namespace

void SetFileChooser(FileChooser chooser) {
  Chooser() = std::move(chooser);
}

std::string ChooseFile(QWidget* parent, const FileRequest& request) {
  if (Chooser()) return Chooser()(request);
  QFileDialog dialog(parent, request.caption);
  dialog.setObjectName("fileDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Qt's check for an existing file also races with its folder model filling in.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(request.filter);
  const QString extension = QString::fromStdString(request.extension);
  dialog.setDefaultSuffix(extension);
  // An empty or vanished remembered folder starts where the program was started.
  const QString folder = QString::fromStdString(request.folder);
  dialog.setDirectory(folder.isEmpty() || !QDir(folder).exists() ? QDir::currentPath() : folder);
  if (!extension.isEmpty()) dialog.selectFile("*." + extension);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst().toStdString();
}

QString QtFilterOf(const char* filter) {
  const QString f = QString::fromUtf8(filter ? filter : "");
  const int bar = f.indexOf('|');
  return (bar < 0 ? f : f.left(bar)).trimmed();
}

}  // namespace kestrel
