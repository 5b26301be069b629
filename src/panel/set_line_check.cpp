#include "panel/set_line_check.h"

#include <climits>
#include <vector>

#include "base/checked_input.h"
#include "base/text_scan.h"
#include "panel/binding_layout.h"
#include "protocol/text_value.h"

namespace kestrel {

using scan::Trim;

namespace {

struct Range {
  bool bound = false;
  int64_t minimum = INT32_MIN;
  int64_t maximum = INT32_MAX;
};

// The first binding of each row decides, as CmdId2CtrlId finds it. Labels
// only show what the camera reports, so they bind no range.
const std::vector<Range>& Ranges() {
  static const std::vector<Range> ranges = [] {
    std::vector<Range> out(CommandTable::kRows);
    const CommandTable table;
    for (const BindingDef& def : BindingLayout()) {
      const int first = table.Find(def.command);
      const int row = first < 0 ? -1 : first + def.lensIndex;
      if (!CommandTable::Valid(row) || out[static_cast<size_t>(row)].bound) continue;
      Range& r = out[static_cast<size_t>(row)];
      r.bound = true;
      if (def.kind == WidgetKind::Label || def.kind == WidgetKind::TextEdit) continue;
      r.minimum = def.minimum;
      r.maximum = def.kind == WidgetKind::List && !def.items.empty()
                      ? static_cast<int64_t>(def.items.size()) - 1
                      : def.maximum;
      if (def.kind == WidgetKind::CheckBox) r.maximum = 1;
    }
    return out;
  }();
  return ranges;
}

}  // namespace

void BoundRange(int cmdIndex, int64_t& minimum, int64_t& maximum) {
  const Range& r = Ranges()[static_cast<size_t>(cmdIndex)];
  minimum = r.minimum;
  maximum = r.maximum;
}

std::string OutsideBoundRange(std::string_view name, int cmdIndex, const ParamValue& value) {
  if (value.type == kTypeText || !CommandTable::Valid(cmdIndex)) return {};
  int64_t minimum = 0, maximum = 0;
  BoundRange(cmdIndex, minimum, maximum);
  if (value.intValue >= minimum && value.intValue <= maximum) return {};
  return std::string(name) + ": the camera reports " + std::to_string(value.intValue) +
         ", outside " + std::to_string(minimum) + " to " + std::to_string(maximum);
}

std::string CheckSetLine(const CommandTable& table, std::string_view line, CheckedSet& out) {
  out = CheckedSet{};
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return "not a setting (NAME=VALUE)";
  const std::string name(Trim(line.substr(0, eq)));
  const int first = table.Find(name);
  if (first < 0) return "\"" + name + "\" is not a command";
  const std::string_view rest = line.substr(eq + 1);
  const CommandEntry& e = table[first];

  if (e.valueType == kTypeText) {
    if (rest.find_first_of("\r\n") != std::string_view::npos)
      return "a text for " + name + " holds a line break";
    if (line.size() > kMaxSetLine)
      return "the text for " + name + " is longer than " + std::to_string(kMaxSetLine - (eq + 1)) +
             " characters";
    if (std::string why = CheckTextValue(table, first, rest); !why.empty()) return why;
    out.cmdIndex = first;
    out.value = ParamValue::Text(std::string(rest));
    return {};
  }

  int row = first;
  std::string_view valueText = rest;
  if (e.indexed) {
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos)
      return "no index for " + name + " (" + name + "=INDEX,VALUE)";
    int last = first;
    while (last + 1 < CommandTable::kRows && table[last + 1].mnemonic == name)
      ++last;
    int32_t index = 0;
    if (std::string why =
            CheckDecimal(rest.substr(0, comma), 0, last - first, "the index of " + name, index);
        !why.empty())
      return why;
    row = first + index;
    valueText = rest.substr(comma + 1);
  }
  int64_t minimum = 0, maximum = 0;
  BoundRange(row, minimum, maximum);
  int32_t value = 0;
  if (std::string why = CheckDecimal(valueText, minimum, maximum, name, value); !why.empty())
    return why;
  out.cmdIndex = row;
  out.value = ParamValue::Int(value);
  return {};
}

}  // namespace kestrel
