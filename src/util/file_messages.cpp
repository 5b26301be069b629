#include "util/file_messages.h"

#include <sys/stat.h>

namespace kestrel {

void ReportCannotCreate(UserInterface& ui, const std::string& path) {
  ui.MessageBox(path + "\nCouldn't open the file", MsgIcon::Warning, MsgButtons::Ok,
                "File Open Error");
}

void ReportCannotRead(UserInterface& ui, const std::string& path) {
  ui.MessageBox(path + "\nCouldn't open this file", MsgIcon::Warning, MsgButtons::Ok,
                "File Open Error");
}

void ReportCannotWrite(UserInterface& ui, const std::string& path) {
  ui.MessageBox(path + "\nCouldn't write the file", MsgIcon::Warning, MsgButtons::Ok,
                "File Write Error");
}

bool ConfirmOverwrite(UserInterface& ui, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;
  return ui.MessageBox(path + "\nThis file already exists." + "\nReplace existing file?",
                       MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

}  // namespace kestrel
