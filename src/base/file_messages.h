#pragma once

#include <cerrno>
#include <string>

#include "base/failure.h"
#include "base/text_file.h"
#include "base/user_interface.h"

namespace kestrel {

// The messages and questions every tool file shares. A message about a file
// that could not be read or written ends in the system's reason on a line of
// its own ("Permission denied", "No space left on device"); error is the
// error number of the failed step, errno by default, so a caller that runs
// anything between the failure and the message passes the number it kept.

// "\n" and the system's text for an error number, or "" for 0.
std::string SystemReason(int error);
// "\n<path>" and the reason: for a message whose own text does not name the file.
std::string FileReason(const std::string& path, int error);

// "<path>\nCouldn't open the file" ("File Open Error"): a file to write.
Failure CannotCreate(const std::string& path, int error = errno);
// "<path>\nCouldn't open this file" ("File Open Error"): a file to read.
Failure CannotRead(const std::string& path, int error = errno);
// "<path>\nCouldn't write the file" ("File Write Error"): the data did not
// reach the disk; the old file, if any, is unchanged.
Failure CannotWrite(const std::string& path, int error = errno);
// True when the file does not exist yet or the user agrees to replace it.
bool ConfirmOverwrite(Reporter& reporter, const std::string& path);

}  // namespace kestrel
