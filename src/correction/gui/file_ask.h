#pragma once

#include <QString>

class QWidget;

namespace kestrel {

// What a file command asks for: an open or a save dialog starting in a folder
// with "*.csv" proposed, one filter, and "csv" appended to a bare name.
struct FileAsk {
  bool save = false;
  QString folder;
  QString filter;  // "Black Data (*.csv)"
  QString caption;
};

// The chosen path, or empty when the user cancelled. Qt's own dialog, always:
// the same on every desktop, and a test can reach it as the active modal
// widget (object name "fileDialog"). It never asks about overwriting; the
// caller asks the program's own question.
QString AskFilePath(QWidget* parent, const FileAsk& ask);

// A file dialog's "Filter (*.csv) | *.csv" text as Qt takes it: "Filter (*.csv)".
QString QtFilterOf(const char* filter);

// Everything before the last path separator: the folder to remember.
QString FolderOf(const QString& path);

}  // namespace kestrel
