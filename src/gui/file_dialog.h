#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace kestrel {

// What a window asks of the file dialog: open or save, the remembered folder
// it starts in, the extension (proposed as "*.<extension>" and appended to a
// bare name) and the filter.
struct FileRequest {
  bool save = false;
  std::string folder;
  std::string extension;
  QString filter;  // "Black Data (*.csv)"
  QString caption;
};

// The chosen path, or "" when the user cancelled. Qt's own dialog, always:
// the same on every desktop, and a test can reach it as the active modal
// widget (object name "fileDialog"). Any name is taken in both directions: a
// file that cannot be read is reported by the command with the program's own
// message. It never asks about overwriting; the caller asks the program's own
// question.
std::string ChooseFile(QWidget* parent, const FileRequest& request);

// Tests and batch runs answer the file dialog without a person. An empty
// function brings back the real dialog.
using FileChooser = std::function<std::string(const FileRequest&)>;
void SetFileChooser(FileChooser chooser);

// A filter written "Filter (*.csv) | *.csv" as Qt takes it: "Filter (*.csv)".
QString QtFilterOf(const char* filter);

}  // namespace kestrel
