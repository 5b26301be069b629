// params: the parameters of the main panel as a script needs to know them,
// without a camera.
#include <cstdio>
#include <iostream>

#include "ctl.h"
#include "panel/binding_layout.h"
#include "panel/setting_file.h"
#include "protocol/command_table.h"

namespace kestrel::ctl {
namespace {

const char* WidgetName(WidgetKind kind) {
  switch (kind) {
    case WidgetKind::List:
      return "list";
    case WidgetKind::SpinEdit:
      return "spin";
    case WidgetKind::TextEdit:
      return "text";
    case WidgetKind::CheckBox:
      return "check";
    case WidgetKind::Label:
      return "label";
  }
  return "";
}

// The values a user can give: a list's item numbers, the check box's 0 and 1,
// an edit's limits. Texts and the read-only labels have none.
bool Range(const BindingDef& def, int32_t& minimum, int32_t& maximum) {
  switch (def.kind) {
    case WidgetKind::List:
      minimum = 0;
      maximum = static_cast<int32_t>(def.items.size()) - 1;
      return true;
    case WidgetKind::CheckBox:
      minimum = 0;
      maximum = 1;
      return true;
    case WidgetKind::SpinEdit:
      minimum = def.minimum;
      maximum = def.maximum;
      return true;
    default:
      return false;
  }
}

// Line period and exposure count camera clocks; nothing else has a unit the
// panel shows.
const char* Unit(const std::string& command) {
  return command == "LR" || command == "LR2" || command == "PE" || command == "PE2" ? "clocks" : "";
}

int Params(Context& ctx, const std::vector<std::string>& args) {
  bool factory = false;
  for (const std::string& a : args) {
    if (a != "--factory") {
      PrintError("params takes --factory and --json");
      return kUsage;
    }
    factory = true;
  }
  const CommandTable commands;
  JsonWriter json;
  json.BeginArray();
  if (!ctx.json)
    std::printf("%-9s %-7s %-4s %-11s %-6s %s\n", "NAME", "AREA", "FILE", "RANGE", "UNIT",
                "CAPTION");
  for (const BindingDef& def : BindingLayout()) {
    if (def.factory && !factory) continue;
    const CommandEntry& row = commands[commands.Find(def.command) + def.lensIndex];
    const bool inFiles = !AlwaysSkippedInFiles(def.controlId);
    int32_t minimum = 0, maximum = 0;
    const bool ranged = Range(def, minimum, maximum);
    if (!ctx.json) {
      const std::string name =
          def.command + (row.indexed ? "?" + std::to_string(row.index) : std::string());
      const std::string range =
          ranged ? std::to_string(minimum) + ".." + std::to_string(maximum) : "-";
      std::printf("%-9s %-7s %-4s %-11s %-6s %s\n", name.c_str(), def.factory ? "FACTORY" : "USER",
                  inFiles ? "yes" : "no", range.c_str(),
                  *Unit(def.command) ? Unit(def.command) : "-", def.group);
      continue;
    }
    auto intOrNull = [&](const char* key, bool present, int64_t value) {
      json.Key(key);
      if (present)
        json.Int(value);
      else
        json.Null();
    };
    json.BeginObject().Key("name").String(def.command);
    intOrNull("index", row.indexed, row.index);
    json.Key("caption").String(def.group).Key("widget").String(WidgetName(def.kind));
    json.Key("type").String(row.valueType == kTypeText ? "text" : "integer");
    intOrNull("minimum", ranged, minimum);
    intOrNull("maximum", ranged, maximum);
    json.Key("items").BeginArray();
    for (const std::string& item : def.items)
      json.String(item);
    json.EndArray();
    json.Key("unit");
    if (*Unit(def.command))
      json.String(Unit(def.command));
    else
      json.Null();
    json.Key("area").String(def.factory ? "FACTORY" : "USER");
    json.Key("setting_file").Bool(inFiles);
    json.EndObject();
  }
  if (ctx.json) PrintJson(json.EndArray());
  return kOk;
}

const Registrar kRegistrar{
    {"params",
     "params [--factory]          list the panel's parameters: name, area, whether setting\n"
     "                             files hold it, range, unit, caption (FACTORY ones too with "
     "--factory)",
     Params, Output::Json},
};

}  // namespace
}  // namespace kestrel::ctl
