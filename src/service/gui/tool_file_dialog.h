#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace kestrel {

// The file dialogs of the factory tools. They start in the tool folder (the
// "Dump File" setting) with "*.<extension>" proposed; the caller asks the
// overwrite question and stores the folder back where its tool does.
struct ToolFileRequest {
  bool save = false;
  std::string folder;
  std::string extension;
  QString filter;
};

// The chosen path, or "" when the user cancelled.
std::string ChooseToolFile(QWidget* parent, const ToolFileRequest& request);

// Tests and batch runs answer the dialog without a person; an empty function
// brings the real dialog back.
using ToolFileChooser = std::function<std::string(const ToolFileRequest&)>;
void SetToolFileChooser(ToolFileChooser chooser);

}  // namespace kestrel
