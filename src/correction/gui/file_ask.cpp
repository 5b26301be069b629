#include "correction/gui/file_ask.h"

#include <QFileDialog>

namespace kestrel {

QString AskFilePath(QWidget* parent, const FileAsk& ask) {
  QFileDialog dialog(parent, ask.caption);
  dialog.setObjectName("fileDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(ask.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Any name is taken, in both directions: a file that cannot be read is
  // reported by the command with the program's own message. (Qt's check for
  // an existing file also races with its folder model filling in.)
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(ask.filter);
  dialog.setDefaultSuffix("csv");
  // A remembered folder that has gone away falls back to the working folder.
  if (!ask.folder.isEmpty() && QDir(ask.folder).exists()) dialog.setDirectory(ask.folder);
  dialog.selectFile("*.csv");
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

QString QtFilterOf(const char* filter) {
  const QString f = QString::fromUtf8(filter ? filter : "");
  const int bar = f.indexOf('|');
  return (bar < 0 ? f : f.left(bar)).trimmed();
}

QString FolderOf(const QString& path) {
  const int slash = path.lastIndexOf('/');
  return slash < 0 ? QString() : path.left(slash);
}

}  // namespace kestrel
