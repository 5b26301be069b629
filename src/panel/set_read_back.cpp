#include "panel/set_read_back.h"

#include <vector>

#include "panel/binding_layout.h"
#include "panel/setting_file.h"

namespace kestrel {

namespace {
bool readBackLeftOut = false;
}  // namespace

void LeaveOutReadBack(bool leaveOut) {
  readBackLeftOut = leaveOut;
}

bool ReadBackApplies(int cmdIndex) {
  static const std::vector<bool> rows = [] {
    std::vector<bool> out(CommandTable::kRows, false);
    const CommandTable table;
    for (const BindingDef& def : BindingLayout()) {
      if (def.kind == WidgetKind::Label || AlwaysSkippedInFiles(def.controlId)) continue;
      const int row = table.Find(def.command);
      if (row >= 0) out[static_cast<size_t>(row + def.lensIndex)] = true;
    }
    return out;
  }();
  return CommandTable::Valid(cmdIndex) && rows[static_cast<size_t>(cmdIndex)];
}

int ReadBackSet(CCamCmd& cmd, int cmdIndex, const ParamValue& value, int timeoutMs) {
  if (!ReadBackApplies(cmdIndex) || readBackLeftOut || cmd.Config().offline == 1) return 1;
  ParamValue held;
  if (cmd.QueryValue(cmdIndex, held, timeoutMs) != 1) return 0;
  const CommandEntry& row = cmd.Table()[cmdIndex];
  const bool text = row.valueType == kTypeText;
  if (text ? held.textValue == value.textValue : held.intValue == value.intValue) return 1;
  const std::string name =
      row.indexed ? row.mnemonic + "?" + std::to_string(row.index) : row.mnemonic;
  const std::string holds = text ? "\"" + held.textValue + "\"" : std::to_string(held.intValue);
  return cmd.Fail(FailureKind::Rejected, name + ": the camera holds " + holds + " after " +
                                             cmd.FormatSet(cmdIndex, value, false) +
                                             " was acknowledged");
}

}  // namespace kestrel
