#pragma once

#include <string>

#include "protocol/user_interface.h"
#include "util/text_file.h"

namespace kestrel {

// The messages and questions every tool file shares.

// "<path>\nCouldn't open the file" ("File Open Error"): a file to write.
void ReportCannotCreate(UserInterface& ui, const std::string& path);
// "<path>\nCouldn't open this file" ("File Open Error"): a file to read.
void ReportCannotRead(UserInterface& ui, const std::string& path);
// "<path>\nCouldn't write the file" ("File Write Error"): the data did not
// reach the disk; the old file, if any, is unchanged.
void ReportCannotWrite(UserInterface& ui, const std::string& path);
// True when the file does not exist yet or the user agrees to replace it.
bool ConfirmOverwrite(UserInterface& ui, const std::string& path);

}  // namespace kestrel
