#pragma once

#include <string>
#include <vector>

#include "panel/connection.h"
#include "panel/setting_file.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// What kestrelctl and the Python module share on top of the panel's engine:
// reaching the camera for a command, naming a row, and the panel's values
// grouped as a script reads them.

// Reaches the camera on the link the settings name. With the speed given for
// the run (Settings::speedGiven) the link is opened at it and nothing is
// asked; otherwise the camera's speed is found (Connection::FindCamera, the
// speed last in use first). False with the reason in `failure`.
bool ReachCamera(CCamCmd& cmd, const Connection::Timing& timing, std::string& failure);

// "LR" or "CABL2?1" -> the command row, or -1 when there is no such row.
int ResolveQueryName(const CommandTable& table, const std::string& text);

// The values a setting file of this mode holds, by mnemonic in panel order;
// an indexed command's values in index order (a gap is a null member).
struct ValueGroup {
  std::string mnemonic;
  bool indexed = false;
  std::vector<const BindingValue*> members;
};
std::vector<ValueGroup> GroupFileValues(const CommandTable& table,
                                        const std::vector<BindingValue>& values, int mode);

}  // namespace kestrel
