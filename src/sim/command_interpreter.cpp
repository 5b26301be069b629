#include "sim/command_interpreter.h"
#include "base/settings.h"
#include "base/text_scan.h"
#include "link/line_speed.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace kestrel::sim {

namespace {

Reply Lines(std::vector<std::string> lines) {
  return Reply{std::move(lines), 0};
}
Reply Complete() {
  return Lines({"COMPLETE"});
}
Reply Error(const char* text) {
  return Lines({text});
}

std::string NoBlanks(std::string_view s) {
  std::string out;
  for (char ch : s)
    if (ch != ' ' && ch != '\t') out.push_back(ch);
  return out;
}

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t comma = s.find(',', start);
    out.push_back(s.substr(start, comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

// Strict decimal: optional sign and 1..10 digits, inside [lo, hi].
bool Dec(const std::string& s, int64_t lo, int64_t hi, int32_t& out) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i >= s.size() || s.size() - i > 10) return false;
  int64_t v = 0;
  for (size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return false;
    v = v * 10 + (s[k] - '0');
  }
  if (s[0] == '-') v = -v;
  if (v < lo || v > hi) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// Hexadecimal with an optional "&H" (the camera's own notation) or "0x".
bool Hex(const std::string& s, uint32_t& out) {
  size_t i = 0;
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) i = 2;
  if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) i = 2;
  if (i >= s.size() || s.size() - i > 8) return false;
  uint32_t v = 0;
  for (size_t k = i; k < s.size(); ++k) {
    const char ch = s[k];
    int d = ch >= '0' && ch <= '9'   ? ch - '0'
            : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
            : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                                     : -1;
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  out = v;
  return true;
}

std::string HexText(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%X", v);
  return b;
}

bool EndsWith2(const std::string& name) {
  return !name.empty() && name.back() == '2';
}

// Ranges the camera enforces on plain settings: list sizes and edit limits.
struct Limit {
  const char* name;
  int32_t lo, hi;
};
constexpr Limit kLimits[] = {
    {"TGSM", 0, 1},      {"TR", 0, 2},        {"TR2", 0, 2},       {"TG", 0, 1},
    {"TG2", 0, 1},       {"TI", 0, 1},        {"TI2", 0, 1},       {"TP", 0, 1},
    {"TP2", 0, 1},       {"LR", 170, 13340},  {"LR2", 170, 13340}, {"AL", 0, 1023},
    {"AL2", 0, 1023},    {"PE", 136, 13306},  {"PE2", 136, 13306}, {"BA", 0, 2},
    {"CLT", 0, 1},       {"TS", 0, 3},        {"TS2", 0, 3},       {"SCB", 0, 2},
    {"TTO", 0, 1},       {"GM", 0, 1},        {"GA1T1", 0, 308},   {"GA2T1", -84, 308},
    {"BL1S", -256, 255}, {"BL2S", -256, 255}, {"MAV", 0, 1},       {"MAVCG", 0, 2},
    {"CABL2", -3, 3},    {"CABA2", 1, 8},     {"CABS2", 1, 7},     {"CABT2", 1, 6},
    {"NR", 0, 1},        {"NR2", 0, 1},       {"SDC", 0, 2},       {"SDC2", 0, 2},
    {"PGC", 0, 2},       {"PGC2", 0, 2},      {"PBC", 0, 2},       {"PBC2", 0, 2},
    {"BLMC", 0, 1},      {"BLMC2", 0, 1},     {"BLMT", 1, 100},    {"BLMT2", 1, 100},
    {"BLMI", 1, 8},      {"BLMI2", 1, 8},     {"BLMTF", 1, 100},   {"BLMTF2", 1, 100},
    {"BLMIF", 1, 8},     {"BLMIF2", 1, 8},    {"LUTC1", 0, 2},     {"LUTC2", 0, 2},
    {"GMA1", 0, 8},      {"GMA2", 0, 8},      {"BAS00", 0, 1},     {"SNOF", 0, 1},
    {"STOF", 0, 1},      {"DNRL", 0, 255},    {"DNRL2", 0, 255},   {"ABG1", 0, 3},
    {"ABG2", 0, 3},
};

bool LimitOf(const std::string& name, int32_t& lo, int32_t& hi) {
  for (const Limit& l : kLimits)
    if (name == l.name) {
      lo = l.lo;
      hi = l.hi;
      return true;
    }
  return false;
}

// Mnemonics whose value only the camera sets.
bool ReadOnly(const std::string& n) {
  static const char* const kNames[] = {"VN",  "PV",   "PVFE", "MD",   "EA",  "TMP0", "TMP02",
                                       "SDS", "SDS2", "PGS",  "PGS2", "PBS", "PBS2"};
  for (const char* k : kNames)
    if (n == k) return true;
  return false;
}

}  // namespace

int BaudOfCode(int code) {
  // The camera's speeds, by the Camera Link bit the camera takes for them.
  return code >= 1 && code <= 16 ? BaudOfCameraLinkCode(static_cast<uint32_t>(code)) : 0;
}

int CodeOfBaud(int baud) {
  return IndexOfBaud(baud) >= 0 ? static_cast<int>(CameraLinkCode(baud)) : 0;
}

bool CommandInterpreter::Assemble(char byte, std::string& line, bool& overflowed) {
  overflowed = false;
  if (byte == '\n' || byte == '\r') {
    if (overflow_) {
      overflow_ = false;
      partial_.clear();
      overflowed = true;
      return false;
    }
    if (partial_.empty()) return false;
    line.swap(partial_);
    partial_.clear();
    return true;
  }
  if (overflow_) return false;
  if (partial_.size() >= kMaxLine) {
    overflow_ = true;
    partial_.clear();
    return false;
  }
  partial_.push_back(byte);
  return false;
}

std::string CommandInterpreter::Feed(std::string_view bytes, uint64_t nowMs) {
  std::string out, line;
  for (char b : bytes) {
    bool overflowed = false;
    if (Assemble(b, line, overflowed)) {
      for (const std::string& l : Execute(line, nowMs).lines)
        out += l + "\r\n";
    } else if (overflowed) {
      out += std::string(err::kOverflow) + "\r\n";
    }
  }
  return out;
}

Reply CommandInterpreter::Execute(std::string_view raw, uint64_t nowMs) {
  raw = scan::WithoutLineEnd(raw);
  if (NoBlanks(raw).empty()) return {};  // a bare line end: nothing to answer
  Cmd c;
  size_t sep = raw.find('=');
  c.op = '=';
  if (sep == std::string_view::npos) {
    sep = raw.find('?');
    c.op = '?';
  }
  if (sep == std::string_view::npos) return Error(err::kSyntax);
  c.name = NoBlanks(raw.substr(0, sep));
  c.arg = std::string(raw.substr(sep + 1));
  c.compact = NoBlanks(c.arg);
  c.now = nowMs;
  if (model_.knobs.rejected.count(c.name)) return Error(err::kRejected);
  if (const auto it = model_.knobs.queryReplies.find(c.name);
      c.op == '?' && it != model_.knobs.queryReplies.end())
    return Lines({it->second});
  return Dispatch(c);
}

Reply CommandInterpreter::Dispatch(const Cmd& c) {
  using Fn = Reply (CommandInterpreter::*)(const Cmd&);
  static const std::map<std::string, Fn> kHandlers = [] {
    std::map<std::string, Fn> m;
    for (const char* n : {"PBDS", "PBDS2", "PGDS", "PGDS2", "SDDS2"})
      m[n] = &CommandInterpreter::StoreCmd;
    for (const char* n : {"PBDR", "PBDG", "PBDB", "PGDR", "PGDG", "PGDB"})
      m[n] = &CommandInterpreter::ColourTable;
    for (const char* n :
         {"LD", "SA", "SA00", "EB", "CLID", "CRS00", "CBDRT", "ULCK", "ID", "UD", "MD00"})
      m[n] = &CommandInterpreter::AreaCmd;
    for (const char* n : {"SDR", "SDR0", "SDR2", "SDR02", "PGR", "PGR0", "PGR2", "PGR02", "PBR",
                          "PBR0", "PBR2", "PBR02"})
      m[n] = &CommandInterpreter::RunCmd;
    for (const char* n : {"SDS", "SDS2", "PGS", "PGS2", "PBS", "PBS2"})
      m[n] = &CommandInterpreter::StatusCmd;
    for (const char* n : {"BLMP", "BLMP2", "BLMPF", "BLMPF2"})
      m[n] = &CommandInterpreter::BlemishPosition;
    for (const char* n : {"DMW", "WMW"})
      m[n] = &CommandInterpreter::Memory;
    for (const char* n : {"AFR", "AFG", "AFB"})
      m[n] = &CommandInterpreter::AfeTable;
    for (const char* n : {"AMM", "AMR", "AMG", "AMB"})
      m[n] = &CommandInterpreter::SensorMemory;
    for (const char* n : {"FPGARD", "FPGAWR", "ACC1S", "ACC2S", "AFEW", "DACACW", "DACAW", "DACBW"})
      m[n] = &CommandInterpreter::Registers;
    for (const char* n : {"PGL", "PGL2", "FPLD", "CBC0", "AFM"})
      m[n] = &CommandInterpreter::Factory;
    for (const char* n : {"AR", "AR2", "AH", "CB", "ATB", "ATB2", "ATBF", "ATBF2", "BLMD", "BLMD2",
                          "BLMDF", "BLMDF2"})
      m[n] = &CommandInterpreter::Automatic;
    return m;
  }();
  // Bulk data: the correction arrays, the LUTs, the aberration table. "SDDS"
  // with one value is the shading store command, with three the slope data.
  if (c.name == "SDDS" && c.op == '=' && c.compact.find(',') == std::string::npos)
    return StoreCmd(c);
  static const char* const kSequences[] = {"PBD", "PBD2", "DNH",  "PGD",   "PGD2",  "PNH",
                                           "SDD", "SDD2", "SDDS", "LUTD1", "LUTD2", "CAB2"};
  for (const char* s : kSequences)
    if (c.name == s) return SequenceCmd(c, s);
  if (auto it = kHandlers.find(c.name); it != kHandlers.end()) return (this->*(it->second))(c);
  const int row = CameraModel::Table().Find(c.name);
  if (row < 0) return Error(err::kUnknown);
  return TableRow(c, row);
}

// Plain table rows: NAME=VALUE, NAME=INDEX,VALUE, NAME? and NAME?INDEX.
Reply CommandInterpreter::TableRow(const Cmd& c, int first) {
  const CommandEntry& e = CameraModel::Table()[first];
  int row = first;
  std::string value = e.valueType == kTypeText ? c.arg : c.compact;
  if (e.indexed) {
    std::string indexText = c.compact;
    if (c.op == '=') {
      const size_t comma = c.compact.find(',');
      if (comma == std::string::npos) return Error(err::kSyntax);
      indexText = c.compact.substr(0, comma);
      value = c.compact.substr(comma + 1);
    }
    int32_t index = 0;
    if (!(c.op == '?' && indexText.empty()) && !Dec(indexText, 0, 2, index))
      return Error(err::kRange);
    row = first + index;
    if (CameraModel::Table()[row].mnemonic != e.mnemonic) return Error(err::kRange);
  } else if (c.op == '?' && !c.compact.empty()) {
    return Error(err::kSyntax);
  }
  if (c.op == '?') {
    if (e.valueType == kTypeText) return Lines({e.mnemonic + "=" + model_.RowText(row)});
    return Lines({e.mnemonic + "=" + std::to_string(model_.RowInt(row))});
  }
  if (ReadOnly(e.mnemonic)) return Error(err::kReadOnly);
  if (e.valueType == kTypeText) {
    if (value.size() > 64) return Error(err::kRange);
    model_.SetRowText(row, value);
    return Complete();
  }
  int32_t lo = INT32_MIN, hi = INT32_MAX, v = 0;
  const bool limited = LimitOf(e.mnemonic, lo, hi);
  if (!Dec(value, INT32_MIN, INT32_MAX, v)) return Error(err::kSyntax);
  if (limited && (v < lo || v > hi)) return Error(err::kRange);
  if (auto clamp = model_.knobs.clamped.find(e.mnemonic); clamp != model_.knobs.clamped.end())
    v = std::min(v, clamp->second);
  model_.SetRowInt(row, v);
  return Complete();
}

Reply CommandInterpreter::SequenceCmd(const Cmd& c, const std::string& name) {
  Sequence& s = model_.Seq(name);
  const int direction = c.op == '?' ? 1 : 2;
  // A transfer starts again at element 0 after a pause, when it turns from
  // reading to writing or back, and after its last group.
  if (s.direction != direction || c.now > s.lastUseMs + model_.knobs.sequenceIdleMs ||
      s.position + static_cast<size_t>(s.groupSize) > s.values.size())
    s.position = 0;
  const size_t group = static_cast<size_t>(s.groupSize);
  if (c.op == '?') {
    if (!c.compact.empty()) return Error(err::kSyntax);
    std::string line = name + "=";
    for (size_t k = 0; k < group; ++k)
      line += (k ? "," : "") + std::to_string(s.values[s.position + k]);
    s.direction = direction;
    s.lastUseMs = c.now;
    s.position = (s.position + group) % s.values.size();
    return Lines({line});
  }
  const std::vector<std::string> items = Split(c.compact);
  if (items.size() != group) return Error(err::kSyntax);
  int32_t values[3] = {};
  for (size_t k = 0; k < group; ++k) {
    if (!Dec(items[k], INT32_MIN, INT32_MAX, values[k])) return Error(err::kSyntax);
    if (values[k] < s.minimum || values[k] > s.maximum) return Error(err::kRange);
  }
  for (size_t k = 0; k < group; ++k)
    s.values[s.position + k] = values[k];
  s.direction = direction;
  s.lastUseMs = c.now;
  s.position = (s.position + group) % s.values.size();
  return Complete();
}

// PBDS / PGDS / SDDS and their Sensor2 twins: 0 stores into the user copy, 999
// into the factory copy; this camera keeps one non-volatile copy of each.
Reply CommandInterpreter::StoreCmd(const Cmd& c) {
  if (c.op == '?') return TableRow(c, CameraModel::Table().Find(c.name));
  int32_t v = 0;
  if (!Dec(c.compact, INT32_MIN, INT32_MAX, v)) return Error(err::kSyntax);
  if (v != 0 && v != 999) return Error(err::kRange);
  static const std::map<std::string, std::vector<const char*>> kArrays = {
      {"PBDS", {"PBD", "DNH", "PBDR", "PBDG", "PBDB"}},
      {"PBDS2", {"PBD2"}},
      {"PGDS", {"PGD", "PNH", "PGDR", "PGDG", "PGDB"}},
      {"PGDS2", {"PGD2"}},
      {"SDDS", {"SDD", "SDDS"}},
      {"SDDS2", {"SDD2"}}};
  for (const char* a : kArrays.at(c.name))
    model_.StoreArray(a);
  model_.SetInt(c.name, v);
  return Complete();
}

// Per-pixel colour tables of the terminal routines: NAME=PIXEL,VALUE and NAME?PIXEL.
Reply CommandInterpreter::ColourTable(const Cmd& c) {
  Sequence& s = model_.Seq(c.name);
  int32_t pixel = 0;
  if (c.op == '?') {
    if (!Dec(c.compact, 0, static_cast<int64_t>(s.values.size()) - 1, pixel))
      return Error(err::kRange);
    return Lines({c.name + "=" + std::to_string(s.values[static_cast<size_t>(pixel)])});
  }
  const std::vector<std::string> items = Split(c.compact);
  int32_t value = 0;
  if (items.size() != 2 || !Dec(items[1], INT32_MIN, INT32_MAX, value)) return Error(err::kSyntax);
  if (!Dec(items[0], 0, static_cast<int64_t>(s.values.size()) - 1, pixel) || value < s.minimum ||
      value > s.maximum)
    return Error(err::kRange);
  s.values[static_cast<size_t>(pixel)] = value;
  return Complete();
}

// Setting areas, reset, line speed and the identity strings.
Reply CommandInterpreter::AreaCmd(const Cmd& c) {
  const std::string& n = c.name;
  if (n == "CRS00") {
    if (c.op != '=' || c.compact != "1") return Error(err::kSyntax);
    // A reset answers nothing: the camera reboots from its boot area. The line
    // speed is kept so that a connected program keeps talking to it.
    model_.PowerOn();
    return {};
  }
  if (c.op == '?') {
    if (n == "CBDRT") {
      if (!c.compact.empty()) return Error(err::kSyntax);
      return Lines({"CBDRT=" + std::to_string(CodeOfBaud(model_.baud))});
    }
    return TableRow(c, CameraModel::Table().Find(n));
  }
  if (n == "ID" || n == "UD" || n == "MD00") {
    // Identity strings: the camera ID only right after the unlock code.
    const std::string text = c.arg;
    if (n == "ID") {
      const bool unlocked = model_.unlocked;
      model_.unlocked = false;
      if (!unlocked) return Error(err::kLocked);
      if (text.empty() || text.size() > 16) return Error(err::kRange);
    }
    if (n == "UD" && text.size() > 16) return Error(err::kRange);
    if (n == "MD00" && (text.empty() || text.size() > 32)) return Error(err::kRange);
    model_.SetText(n, text);
    if (n == "MD00") model_.SetText("MD", text);
    return Complete();
  }
  int32_t v = 0;
  if (!Dec(c.compact, INT32_MIN, INT32_MAX, v)) return Error(err::kSyntax);
  if (n == "ULCK") {
    model_.unlocked = v == 6158273;
    if (!model_.unlocked) return Error(err::kLocked);
    model_.SetInt(n, 0);
    return Complete();
  }
  if (n == "CBDRT") {
    const int baud = BaudOfCode(v);
    if (baud == 0) return Error(err::kRange);
    model_.SetInt(n, v);
    Reply r = Complete();
    r.newBaud = baud;
    return r;
  }
  if (n == "LD") {
    if (v < 0 || v >= CameraModel::kAreas) return Error(err::kRange);
    model_.LoadArea(v);
  } else if (n == "SA") {
    if (v < 1 || v >= CameraModel::kAreas) return Error(err::kRange);
    model_.StoreArea(v);
    model_.SetCurrentArea(v);
    model_.SetInt("EA", v);
  } else if (n == "SA00") {
    if (v != 0) return Error(err::kRange);
    model_.StoreArea(0);
    model_.SetCurrentArea(0);
    model_.SetInt("EA", 0);
  } else if (n == "EB") {
    // Reload: the working settings go back to what the current area holds.
    model_.LoadArea(model_.CurrentArea());
  } else if (n == "CLID") {
    model_.ResetAreas();
  }
  model_.SetInt(n, v);
  return Complete();
}

// Automatic calibration runs: the status command reports 0 for a few polls.
Reply CommandInterpreter::RunCmd(const Cmd& c) {
  if (c.op == '?') return TableRow(c, CameraModel::Table().Find(c.name));
  int32_t v = 0;
  if (!Dec(c.compact, INT32_MIN, INT32_MAX, v)) return Error(err::kSyntax);
  const bool sensor2 = EndsWith2(c.name);
  const std::string status = c.name.substr(0, 2) + "S" + (sensor2 ? "2" : "");
  CameraModel::Run& run = model_.runs[status];
  run.status = 0;
  run.pollsLeft = model_.knobs.calibrationPolls;
  model_.SetInt(c.name, v);
  model_.SetInt(status, 0);
  return Complete();
}

Reply CommandInterpreter::StatusCmd(const Cmd& c) {
  if (c.op == '=') return Error(err::kReadOnly);
  if (!c.compact.empty()) return Error(err::kSyntax);
  auto it = model_.runs.find(c.name);
  if (it != model_.runs.end() && it->second.status == 0) {
    CameraModel::Run& run = it->second;
    if (run.pollsLeft > 0) {
      --run.pollsLeft;
    } else if (model_.knobs.calibrationResult != 0) {
      run.status = model_.knobs.calibrationResult;
      if (run.status == 1) {
        // A finished run leaves fresh data in the kind's array.
        const bool s2 = EndsWith2(c.name);
        const std::string kind = c.name.substr(0, 2);
        const std::string array = kind == "PB" ? "PBD" : kind == "PG" ? "PGD" : "SDD";
        auto& values = model_.Array(s2 ? array + "2" : array);
        for (size_t i = 0; i < values.size(); ++i)
          values[i] = kind == "PB" ? static_cast<int32_t>(36 + (i * 7) % 9)
                                   : static_cast<int32_t>(8100 + (i * 13) % 200);
      }
    }
    model_.SetInt(c.name, run.status);
  }
  return Lines({c.name + "=" + std::to_string(model_.Int(c.name))});
}

// Blemish list entries: the position command addresses the entry its index
// command selects (BLMP with BLMI, BLMPF2 with BLMIF2).
Reply CommandInterpreter::BlemishPosition(const Cmd& c) {
  std::string indexName = c.name;
  indexName[3] = 'I';
  const int32_t index = std::clamp(model_.Int(indexName), 1, 8);
  auto& list = model_.Array(c.name);
  if (c.op == '?') {
    if (!c.compact.empty()) return Error(err::kSyntax);
    return Lines({c.name + "=" + std::to_string(list[static_cast<size_t>(index - 1)])});
  }
  int32_t v = 0;
  if (!Dec(c.compact, INT32_MIN, INT32_MAX, v)) return Error(err::kSyntax);
  if (v < 0 || v > 1024) return Error(err::kRange);
  list[static_cast<size_t>(index - 1)] = v;
  model_.SetInt(c.name, v);
  return Complete();
}

// Memory write WMW=&HADDR,&HDATA and dump DMW?&HADDR,&HCOUNT (one line per word).
Reply CommandInterpreter::Memory(const Cmd& c) {
  const std::vector<std::string> items = Split(c.compact);
  uint32_t address = 0, second = 0;
  if (items.size() != 2 || !Hex(items[0], address) || !Hex(items[1], second))
    return Error(err::kSyntax);
  if (c.name == "WMW") {
    if (c.op != '=') return Error(err::kSyntax);
    model_.SetMemory(address, second);
    return Complete();
  }
  if (c.op != '?') return Error(err::kSyntax);
  if (second == 0 || second > 0x4000) return Error(err::kRange);
  Reply r;
  r.lines.reserve(second);
  char b[48];
  for (uint32_t k = 0; k < second; ++k) {
    const uint32_t a = address + 4 * k;
    std::snprintf(b, sizeof b, "DMW=&H%X, &H%X", a, model_.Memory(a));
    r.lines.emplace_back(b);
  }
  return r;
}

// AFE tables: AFR=ROW,VALUE and AFR?ROW, both hexadecimal.
Reply CommandInterpreter::AfeTable(const Cmd& c) {
  auto& table = model_.Array(c.name);
  uint32_t row = 0, value = 0;
  if (c.op == '?') {
    if (!c.compact.empty() && !Hex(c.compact, row)) return Error(err::kSyntax);
    if (row >= table.size()) return Error(err::kRange);
    return Lines({c.name + "=" + HexText(static_cast<uint32_t>(table[row]))});
  }
  const std::vector<std::string> items = Split(c.compact);
  if (items.size() != 2 || !Hex(items[0], row) || !Hex(items[1], value)) return Error(err::kSyntax);
  if (row >= table.size() || value > 0xFFFF) return Error(err::kRange);
  table[row] = static_cast<int32_t>(value);
  return Complete();
}

// Sensor memory: AMR=ADDR,W1,...,W8 and AMR?ADDR, hexadecimal; AMM is all colours.
Reply CommandInterpreter::SensorMemory(const Cmd& c) {
  const int colour = c.name == "AMG" ? 1 : c.name == "AMB" ? 2 : 0;
  const std::vector<std::string> items = Split(c.compact);
  uint32_t address = 0;
  if (!c.compact.empty() && !Hex(items[0], address)) return Error(err::kSyntax);
  if (c.op == '?') {
    if (items.size() != 1) return Error(err::kSyntax);
    if (address >= CameraModel::kSensorMemoryWords) return Error(err::kRange);
    return Lines({c.name + "=" + HexText(model_.SensorMemory(colour, address))});
  }
  if (items.size() < 2 || items.size() > 9) return Error(err::kSyntax);
  std::vector<uint32_t> words;
  for (size_t k = 1; k < items.size(); ++k) {
    uint32_t w = 0;
    if (!Hex(items[k], w)) return Error(err::kSyntax);
    words.push_back(w);
  }
  if (address + words.size() > CameraModel::kSensorMemoryWords) return Error(err::kRange);
  for (size_t k = 0; k < words.size(); ++k) {
    const uint32_t a = address + static_cast<uint32_t>(k);
    if (c.name == "AMM") {
      for (int col = 0; col < 3; ++col)
        model_.SetSensorMemory(col, a, words[k]);
    } else {
      model_.SetSensorMemory(colour, a, words[k]);
    }
  }
  // A query answers the last word written: one value, as every table reply.
  model_.SetText(c.name, HexText(words.back()));
  return Complete();
}

// FPGA registers, accumulated averages, AFE register writes and the DACs.
Reply CommandInterpreter::Registers(const Cmd& c) {
  const std::string& n = c.name;
  if (c.op == '?') {
    if (!c.compact.empty()) return Error(err::kSyntax);
    if (n == "FPGARD") {
      auto it = model_.fpga.find(model_.fpgaReadAddress);
      const uint32_t v = it == model_.fpga.end() ? 0 : it->second;
      return Lines({"FPGARD=" + std::to_string(static_cast<int32_t>(v))});
    }
    return TableRow(c, CameraModel::Table().Find(n));
  }
  const std::vector<std::string> items = Split(c.compact);
  if (n == "FPGARD") {
    uint32_t a = 0;
    if (items.size() != 1 || !Hex(items[0], a)) return Error(err::kSyntax);
    model_.fpgaReadAddress = a;
    return Complete();
  }
  if (n == "FPGAWR") {
    uint32_t a = 0, d = 0;
    if (items.size() != 2 || !Hex(items[0], a) || !Hex(items[1], d)) return Error(err::kSyntax);
    model_.fpga[a] = d;
    return Complete();
  }
  if (n == "ACC1S" || n == "ACC2S") {
    if (c.compact != "1") return Error(err::kSyntax);
    // The average of a dark line: the black level plus the user black setup.
    const int32_t setup = model_.Int(n == "ACC1S" ? "BL1S" : "BL2S");
    model_.SetInt(n, std::max(0, (n == "ACC1S" ? 512 : 508) + setup));
    return Complete();
  }
  if (n == "AFEW") {
    // mask, register, data (hex), channel; the chips are the mask's bits.
    int32_t mask = 0, reg = 0, channel = 0;
    uint32_t data = 0;
    if (items.size() != 4) return Error(err::kSyntax);
    if (!Dec(items[0], 1, 255, mask) || !Dec(items[1], 0x40, 0xE4, reg) || !Hex(items[2], data) ||
        !Dec(items[3], 1, 3, channel) || data > 0xFFFF)
      return Error(err::kRange);
    for (int chip = 0; chip < 8; ++chip) {
      if (!(mask & (1 << chip))) continue;
      for (int ch = 1; ch <= 2; ++ch)
        if (channel & ch) model_.afe[{chip, reg, ch}] = data;
    }
    model_.SetText(n, items[2]);
    return Complete();
  }
  if (n == "DACACW") {
    int32_t cmd = 0, sensor = 0, channel = 0, data = 0;
    if (items.size() != 4) return Error(err::kSyntax);
    if (!Dec(items[0], 0, 8, cmd) || !Dec(items[1], 0, 1, sensor) ||
        !Dec(items[2], 0, 15, channel) || !Dec(items[3], 0, 65535, data))
      return Error(err::kRange);
    model_.dac[{cmd, sensor, channel}] = data;
    // "Write to and update DAC channel n" moves the black offset it drives.
    if ((cmd == 2 || cmd == 3) && data <= 4095)
      model_.SetInt("B" + std::to_string(sensor + 1) + "O" + std::to_string(channel) + "F", data);
    model_.SetText(n, items[3]);
    return Complete();
  }
  // DACAW / DACBW: one decimal data word.
  int32_t data = 0;
  if (items.size() != 1 || !Dec(items[0], 0, 65535, data)) return Error(err::kRange);
  model_.dac[{n == "DACAW" ? 100 : 101, 0, 0}] = data;
  model_.SetText(n, c.compact);
  return Complete();
}

// The raw factory sequences: PRNU steps, FPLD, column buffer and readout
// channel calibration, the AFM register line.
Reply CommandInterpreter::Factory(const Cmd& c) {
  if (c.op == '?') {
    if (c.name == "AFM") return TableRow(c, CameraModel::Table().Find(c.name));
    return Error(err::kSyntax);
  }
  const std::vector<std::string> f = Split(c.compact);
  bool ok = false;
  int32_t a = 0, b = 0, d = 0;
  uint32_t x = 0, y = 0;
  if (c.name == "PGL" || c.name == "PGL2")
    ok = f.size() == 1 && Dec(f[0], 0, 1, a);
  else if (c.name == "FPLD")
    ok = f.size() == 1 && Dec(f[0], 0, 0, a);
  else if (c.name == "CBC0")
    ok = (f.size() == 2 && Dec(f[0], 0, 0, a) && Dec(f[1], 0, 1, b)) ||
         (f.size() == 3 && Dec(f[0], 1, 1, a) && Dec(f[1], 0, 2, b) && Dec(f[2], 0, 1, d));
  else if (c.name == "AFM")
    ok = f.size() == 2 && Hex(f[0], x) && Hex(f[1], y);
  if (!ok) return Error(err::kRange);
  if (c.name == "AFM") {
    // The register of every colour at once.
    model_.SetText("AFM", f[1]);
    for (const char* table : {"AFR", "AFG", "AFB"})
      if (auto& rows = model_.Array(table); x < rows.size()) rows[x] = static_cast<int32_t>(y);
  }
  model_.factoryLines.push_back(c.name + "=" + c.compact);
  return Complete();
}

// Commands that make the camera measure and adjust settings of its own.
Reply CommandInterpreter::Automatic(const Cmd& c) {
  if (c.op == '?') return TableRow(c, CameraModel::Table().Find(c.name));
  int32_t v = 0;
  if (!Dec(c.compact, INT32_MIN, INT32_MAX, v)) return Error(err::kSyntax);
  const std::string& n = c.name;
  CameraModel& m = model_;
  if (n == "AR" || n == "AR2") {
    // The external trigger period this camera sees: 1000 clocks.
    const std::string s = n == "AR" ? "" : "2";
    m.SetInt("LR" + s, 1000);
    if (m.Int("PE" + s) > 1000 - 34) m.SetInt("PE" + s, 1000 - 34);
    if (n == "AR" && m.Int("TGSM") == 0) m.SetInt("PE2", m.Int("PE"));
  } else if (n == "AH") {
    m.SetInt("PE2", m.Int("PE"));
  } else if (n == "CB") {
    m.SetInt("GA2T1", std::clamp(m.Int("GA1T1") + 3, -84, 308));
  } else if (n.rfind("ATB", 0) == 0) {
    const std::string g = EndsWith2(n) ? "GA2T" : "GA1T";
    for (int t = 2; t <= 8; ++t)
      m.SetInt(g + std::to_string(t) + "F", (t * 5) % 7 - 3);
  } else if (n.rfind("BLMD", 0) == 0) {
    // Detection finds fewer defects the higher the threshold.
    std::string list = n;
    list[3] = 'P';
    std::string threshold = n;
    threshold[3] = 'T';
    const int count = std::clamp(8 - m.Int(threshold) / 15, 1, 8);
    auto& positions = m.Array(list);
    for (int k = 0; k < 8; ++k)
      positions[static_cast<size_t>(k)] = k < count ? 37 + k * 121 + (k * k * 13) % 50 : 0;
  }
  m.SetInt(n, v);
  return Complete();
}

}  // namespace kestrel::sim
