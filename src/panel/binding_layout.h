#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "panel/binding_table.h"

namespace kestrel {

// One binding as the panel's layout defines it. The command is named by its
// mnemonic; the three lens columns of an indexed command carry their index.
struct BindingDef {
  std::string command;
  int lensIndex = 0;
  uint32_t controlId = ctrl::kNone;
  WidgetKind kind = WidgetKind::Label;
  WidgetHost host = WidgetHost::Panel;
  const char* group = "";
  bool factory = false;
  int32_t minimum = 0;
  int32_t maximum = 255;
  int32_t start = 0;
  std::vector<std::string> items;
};

// The 225 bindings in slot order.
const std::vector<BindingDef>& BindingLayout();

// The unit of a command's value where it has one ("" otherwise).
const char* UnitOf(const std::string& command);

}  // namespace kestrel
