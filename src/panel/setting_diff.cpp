#include "panel/setting_diff.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "base/checked_input.h"
#include "base/text_scan.h"
#include "base/translate.h"
#include "panel/binding_layout.h"

namespace kestrel {

namespace {

// ---------------------------------------------------------------- captions

// Rows the panel shows once per sensor: NAME for Sensor1, NAME2 for Sensor2.
struct Words {
  const char* stem;
  const char* words;
};
constexpr Words kSensorRows[] = {
    {"TR", "Trigger mode"},
    {"TG", "Trigger origin"},
    {"TI", "Trigger input"},
    {"TP", "Trigger polarity"},
    {"LR", "Line rate"},
    {"AL", "Line rate reference"},
    {"PE", "Exposure"},
    {"TS", "Test pattern"},
    {"NR", "Noise reduction"},
    {"SDC", "Shading calibration status"},
    {"PGC", "Pixel gain calibration status"},
    {"PBC", "Pixel black calibration status"},
    {"BLMC", "Blemish correction"},
    {"BLMT", "Threshold"},
    {"BLMI", "Index"},
    {"BLMP", "Position"},
    {"BLMTF", "Threshold"},
    {"BLMIF", "Index"},
    {"BLMPF", "Position"},
    {"SCFA", "Cfa"},
    {"SCFB", "Cfb"},
    {"SCFC", "Cfc"},
    {"SOE", "Odd/even output"},
    {"BYP", "Image processing bypass"},
    {"USP", "User black setup"},
    {"DNRL", "Noise reduction level"},
};
// LUT rows end in the channel number instead.
constexpr Words kChannelRows[] = {{"LUTC", "LUT mode"}, {"GMA", "Gamma"}};
// Rows the panel shows once.
constexpr Words kSingleRows[] = {
    {"TGSM", "TG mode"},      {"BA", "Bit allocation"},     {"CLT", "Camera Link type"},
    {"SCB", "Cable length"},  {"TTO", "Output port order"}, {"GM", "Gain mode"},
    {"MAV", "Correction on"}, {"MAVCG", "Lens in use"},     {"BAS00", "Boot area"},
    {"SCBF0", "Short cable"}, {"SCBF1", "Middle cable"},    {"SCBF2", "Long cable"},
};

std::string Sensor(char digit) {
  return std::string(", Sensor") + digit;
}

// "GA1T3F" -> ('1', "3"): the sensor digit after `head`, the number after `mid`.
bool SplitFamily(const std::string& m, const std::string& head, const std::string& mid,
                 const std::string& tail, char& sensor, std::string& number) {
  if (m.size() < head.size() + mid.size() + tail.size() + 2 || m.rfind(head, 0) != 0) return false;
  if (m.compare(m.size() - tail.size(), tail.size(), tail) != 0) return false;
  sensor = m[head.size()];
  if (sensor != '1' && sensor != '2') return false;
  if (m.compare(head.size() + 1, mid.size(), mid) != 0) return false;
  number =
      m.substr(head.size() + 1 + mid.size(), m.size() - tail.size() - head.size() - 1 - mid.size());
  return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
}

std::string RowWords(const BindingDef& def) {
  const std::string& m = def.command;
  for (const Words& w : kSingleRows)
    if (m == w.stem) return w.words;
  for (const Words& w : kSensorRows) {
    if (m == w.stem) return w.words + Sensor('1');
    if (m == std::string(w.stem) + "2") return w.words + Sensor('2');
  }
  for (const Words& w : kChannelRows)
    if (m.rfind(w.stem, 0) == 0 && m.size() == std::string(w.stem).size() + 1)
      return std::string(w.words) + ", channel " + m.back();
  char sensor = 0;
  std::string n;
  if (SplitFamily(m, "GA", "T", "F", sensor, n) || SplitFamily(m, "B", "OT", "F", sensor, n))
    return "TAP" + n + Sensor(sensor);
  if (SplitFamily(m, "B", "O", "F", sensor, n)) return "Offset " + n + Sensor(sensor);
  if (m == "GA1T1" || m == "GA2T1") return "Gain" + Sensor(m[2]);
  if (m == "BL1S" || m == "BL2S") return "Black setup" + Sensor(m[2]);
  if (m == "ABG1" || m == "ABG2") return "Analog base gain" + Sensor(m[3]);
  if (m.rfind("CABN", 0) == 0) return "Lens" + m.substr(4) + " name";
  if (m.rfind("CAB", 0) == 0)
    return "Lens" + std::to_string(def.lensIndex + 1) + " " + m.substr(0, 4);
  if (m.rfind("SHDL", 0) == 0 || m.rfind("SHPL", 0) == 0)
    return m.substr(0, 4) + " tap " + m.substr(4);
  // The AFE rows end in 1 for Sensor1 and 9 for Sensor2.
  if (def.group == std::string("AFE") && (m.back() == '1' || m.back() == '9'))
    return m.substr(0, m.size() - 1) + Sensor(m.back() == '1' ? '1' : '2');
  return m;
}

const BindingDef* DefOf(const CommandTable& table, int cmdIndex) {
  const CommandEntry& e = table[cmdIndex];
  const int lens = e.indexed ? e.index : 0;
  for (const BindingDef& d : BindingLayout())
    if (d.command == e.mnemonic && d.lensIndex == lens) return &d;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- rows

SettingRows ReadSettingRows(const CCamCmd& cmd, const std::string& text) {
  SettingRows out;
  std::map<int, size_t> at;  // command -> position in rows
  const std::vector<std::string> lines = InputLines(text);
  for (size_t k = 0; k < lines.size(); ++k) {
    const std::string& line = lines[k];
    const std::string where = "line " + std::to_string(k + 1) + ": ";
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    ParsedLine r;
    if (cmd.ParseLine(line, r, 0) != 1 || r.separator != "=") {
      out.problems.push_back(where + "\"" + line + "\" names no command in the set syntax");
      continue;
    }
    const CommandEntry& e = cmd.Table()[r.cmdIndex];
    ParamValue value;
    value.type = e.valueType;
    if (e.valueType == kTypeText) {
      value.textValue = r.textValue;
    } else {
      // A number must be read whole: "LR=17O" is not 17.
      const std::string& digits = e.indexed ? r.value2 : r.value1;
      size_t pos = 0;
      int32_t number = 0;
      const bool whole = ScanDec(digits, pos, number) && pos == digits.size();
      if (!whole || e.valueType != kTypeInteger) {
        out.problems.push_back(where + "\"" + digits + "\" is not a whole number for " +
                               RowName(cmd.Table(), r.cmdIndex));
        continue;
      }
      value.intValue = number;
    }
    SettingRow row{static_cast<int>(k + 1), r.cmdIndex, value};
    if (auto it = at.find(r.cmdIndex); it != at.end()) {
      out.rows[it->second].value = value;
      out.rows[it->second].line = row.line;
    } else {
      at[r.cmdIndex] = out.rows.size();
      out.rows.push_back(row);
    }
  }
  return out;
}

std::string RowName(const CommandTable& table, int cmdIndex) {
  const CommandEntry& e = table[cmdIndex];
  return e.indexed ? e.mnemonic + "[" + std::to_string(e.index) + "]" : e.mnemonic;
}

std::string SettingCaption(const CommandTable& table, int cmdIndex) {
  const BindingDef* def = DefOf(table, cmdIndex);
  if (!def) return table[cmdIndex].mnemonic;
  return std::string(def->group) + ": " + RowWords(*def);
}

std::string ValueText(const CCamCmd& cmd, int cmdIndex, const ParamValue& value) {
  const CommandEntry& e = cmd.Table()[cmdIndex];
  const std::string line = cmd.FormatSet(cmdIndex, value, false);
  const size_t prefix =
      e.mnemonic.size() + 1 + (e.indexed ? std::to_string(e.index).size() + 1 : 0);
  return line.substr(prefix);
}

// ---------------------------------------------------------------- differences

namespace {

SettingDifference DifferenceOf(const CCamCmd& cmd, int row) {
  SettingDifference d;
  d.cmdIndex = row;
  d.name = RowName(cmd.Table(), row);
  d.caption = SettingCaption(cmd.Table(), row);
  return d;
}

}  // namespace

// ---------------------------------------------------------------- camera

int CameraValues::Unread() const {
  return static_cast<int>(std::count_if(reasons.begin(), reasons.end(),
                                        [](const std::string& r) { return !r.empty(); }));
}

CameraValues ReadCameraValues(CCamCmd& cmd, const std::vector<SettingRow>& rows, int timeoutMs) {
  CameraValues out;
  out.rows = rows;
  out.camera.resize(rows.size());
  out.reasons.resize(rows.size());
  UserInterface& ui = cmd.Ui();
  std::string silence;
  ui.ShowProgress();
  ui.SetProgressMessage(KESTREL_TR_NOOP("Kestrel", "Reading the camera's settings…"));
  for (size_t i = 0; i < rows.size(); ++i) {
    ui.SetProgressPercent(static_cast<int>(i * 100 / rows.size()));
    ui.PumpOneMessage();
    if (!silence.empty()) {
      out.reasons[i] = "not read: " + silence;
      continue;
    }
    if (cmd.QueryValue(rows[i].cmdIndex, out.camera[i], timeoutMs) == 1) continue;
    const Failure& why = cmd.LastFailure();
    out.reasons[i] = why.text.empty() ? "the camera gave no value" : why.text;
    // No answer, or no device: the rest would wait out a time-out each.
    if (why.kind == FailureKind::NoAnswer || why.kind == FailureKind::Lost)
      silence = "the camera stopped answering";
  }
  ui.SetProgressPercent(100);
  ui.CloseProgress();
  return out;
}

std::vector<SettingDifference> DiffWithCamera(const CCamCmd& cmd, const CameraValues& values) {
  std::vector<SettingDifference> out;
  for (size_t i = 0; i < values.rows.size(); ++i) {
    const int row = values.rows[i].cmdIndex;
    SettingDifference d = DifferenceOf(cmd, row);
    d.file = ValueText(cmd, row, values.rows[i].value);
    d.hasOther = values.reasons[i].empty();
    d.reason = values.reasons[i];
    if (d.hasOther) d.other = ValueText(cmd, row, values.camera[i]);
    if (!d.hasOther || d.other != d.file) out.push_back(std::move(d));
  }
  return out;
}

std::vector<SettingDifference> DiffFiles(const CCamCmd& cmd, const std::vector<SettingRow>& a,
                                         const std::vector<SettingRow>& b) {
  std::map<int, const SettingRow*> inB;
  for (const SettingRow& r : b)
    inB[r.cmdIndex] = &r;
  std::vector<SettingDifference> out;
  for (const SettingRow& r : a) {
    SettingDifference d = DifferenceOf(cmd, r.cmdIndex);
    d.file = ValueText(cmd, r.cmdIndex, r.value);
    auto it = inB.find(r.cmdIndex);
    d.hasOther = it != inB.end();
    if (d.hasOther) {
      d.other = ValueText(cmd, r.cmdIndex, it->second->value);
      inB.erase(it);
      if (d.other == d.file) continue;
    } else {
      d.reason = "not in the second file";
    }
    out.push_back(std::move(d));
  }
  for (const SettingRow& r : b) {
    if (!inB.count(r.cmdIndex)) continue;
    SettingDifference d = DifferenceOf(cmd, r.cmdIndex);
    d.other = ValueText(cmd, r.cmdIndex, r.value);
    d.hasFile = false;
    d.reason = "not in the first file";
    out.push_back(std::move(d));
  }
  return out;
}

std::vector<std::string> CameraValueLines(const CCamCmd& cmd, const CameraValues& values) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < values.rows.size(); ++i)
    if (values.reasons[i].empty())
      lines.push_back(cmd.FormatSet(values.rows[i].cmdIndex, values.camera[i], false));
  return lines;
}

}  // namespace kestrel
