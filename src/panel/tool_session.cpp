#include "panel/tool_session.h"

#include <algorithm>
#include <cstdlib>

namespace kestrel {

bool ReachCamera(CCamCmd& cmd, const Connection::Timing& timing, std::string& failure) {
  if (cmd.Config().speedGiven) {
    if (cmd.OpenConfiguredPort() == 1) return true;
    failure = cmd.OpenFailureText();
    return false;
  }
  Connection connection(cmd, timing);
  if (connection.FindCamera()) return true;
  failure = connection.Failure();
  return false;
}

int ResolveQueryName(const CommandTable& table, const std::string& text) {
  std::string name = text;
  long index = 0;
  if (size_t q = text.find('?'); q != std::string::npos) {
    name = text.substr(0, q);
    const std::string digits = text.substr(q + 1);
    char* end = nullptr;
    index = std::strtol(digits.c_str(), &end, 10);
    if (digits.empty() || *end != '\0' || index < 0 || index > 1000) return -1;
  }
  const int first = table.Find(name);
  if (first < 0) return -1;
  const int row = first + static_cast<int>(index);
  if (!CommandTable::Valid(row) || table[row].mnemonic != name) return -1;
  if (index != 0 && !table[row].indexed) return -1;
  return row;
}

std::vector<ValueGroup> GroupFileValues(const CommandTable& table,
                                        const std::vector<BindingValue>& values, int mode) {
  std::vector<ValueGroup> groups;
  for (const BindingValue& b : values) {
    if ((b.factory && mode != kModeFactory) || AlwaysSkippedInFiles(b.ctrlId)) continue;
    const CommandEntry& row = table[b.cmdIndex];
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const ValueGroup& g) { return g.mnemonic == row.mnemonic; });
    if (group == groups.end()) group = groups.insert(groups.end(), {row.mnemonic, row.indexed, {}});
    auto& members = group->members;
    const size_t at = row.indexed ? static_cast<size_t>(row.index) : 0;
    if (members.size() <= at) members.resize(at + 1);
    members[at] = &b;
  }
  return groups;
}

}  // namespace kestrel
