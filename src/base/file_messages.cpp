#include "base/file_messages.h"

#include <sys/stat.h>

#include <cstring>

namespace kestrel {

std::string SystemReason(int error) {
  return error == 0 ? std::string() : "\n" + std::string(std::strerror(error));
}

std::string FileReason(const std::string& path, int error) {
  return "\n" + path + SystemReason(error);
}

Failure CannotCreate(const std::string& path, int error) {
  return {FailureKind::FileError, path + "\nCouldn't open the file" + SystemReason(error),
          MsgIcon::Warning, "File Open Error"};
}

Failure CannotRead(const std::string& path, int error) {
  return {FailureKind::FileError, path + "\nCouldn't open this file" + SystemReason(error),
          MsgIcon::Warning, "File Open Error"};
}

Failure CannotWrite(const std::string& path, int error) {
  return {FailureKind::FileError, path + "\nCouldn't write the file" + SystemReason(error),
          MsgIcon::Warning, "File Write Error"};
}

bool ConfirmOverwrite(Reporter& reporter, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;
  return reporter.Report(path + "\nThis file already exists." + "\nReplace existing file?",
                         MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

}  // namespace kestrel
