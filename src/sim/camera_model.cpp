#include "sim/camera_model.h"
#include "base/text_scan.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/text_file.h"

namespace kestrel::sim {

namespace {

// A small deterministic scatter so that power-on arrays look like measured
// data instead of constants, and the same on every run.
int32_t Scatter(size_t i, int spread) {
  uint32_t x = static_cast<uint32_t>(i) * 2654435761u + 0x9E3779B9u;
  x ^= x >> 15;
  x *= 2246822519u;
  x ^= x >> 13;
  return static_cast<int32_t>(x % static_cast<uint32_t>(2 * spread + 1)) - spread;
}

// How a calibrated camera's correction arrays look: a gentle bow across the
// line (the lens's shading, highest at the ends), a slight tilt, pixel noise
// and a few pixels far off their neighbours. Every array has a shape of its
// own, seeded by its name, and the same on every run.
struct Shape {
  int32_t base;
  int32_t bow;      // added at both ends of the line
  int32_t noise;    // pixel-to-pixel spread, ±
  int32_t outlier;  // how far the odd pixels stand off
};
constexpr Shape kBlackShape{40, 10, 3, 60};
constexpr Shape kGainShape{8192, 900, 40, 1500};
constexpr Shape kShadingShape{2048, 160, 12, 400};
constexpr Shape kSlopeShape{0, 120, 10, 300};

std::vector<int32_t> Measured(const Shape& shape, const std::string& name, size_t count) {
  uint32_t seed = 2166136261u;  // FNV-1a of the name
  for (char c : name)
    seed = (seed ^ static_cast<uint8_t>(c)) * 16777619u;
  const double tilt = static_cast<int32_t>(seed % 41) - 20;  // ± a fifth of the bow
  std::vector<int32_t> v(count);
  for (size_t i = 0; i < count; ++i) {
    const double x = 2.0 * static_cast<double>(i) / static_cast<double>(count - 1) - 1.0;
    v[i] = shape.base + static_cast<int32_t>(shape.bow * (x * x + x * tilt / 100)) +
           Scatter(i + seed, shape.noise);
  }
  for (uint32_t k = 0; k < 4; ++k) {
    const size_t at =
        static_cast<size_t>(Scatter(seed + 7919u * (k + 1), 1 << 20) + (1 << 20)) % count;
    v[at] += (k % 2 ? -1 : 1) * shape.outlier;
  }
  return v;
}

struct Start {
  const char* name;
  int32_t value;
};

// Power-on values: the panel's start values, plus identity and sensors.
constexpr Start kStartInts[] = {
    {"VN", 1025},   {"PV", 2013},  {"PVFE", 2011}, {"LR", 170},    {"LR2", 170},  {"PE", 136},
    {"PE2", 136},   {"BLMT", 10},  {"BLMT2", 10},  {"BLMI", 1},    {"BLMI2", 1},  {"GMA1", 8},
    {"GMA2", 8},    {"BLMTF", 10}, {"BLMTF2", 10}, {"BLMIF", 1},   {"BLMIF2", 1}, {"TMP0", 632},
    {"TMP02", 648}, {"CBDRT", 1},  {"ACC1S", 512}, {"ACC2S", 508}, {"SNOF", 1},   {"STOF", 0},
    {"PBC", 1},     {"PBC2", 1},   {"PGC", 1},     {"PGC2", 1},    {"SDC", 1},    {"SDC2", 1},
    {"SDS", 1},     {"SDS2", 1},   {"PGS", 1},     {"PGS2", 1},    {"PBS", 1},    {"PBS2", 1},
};

// Rows that are not part of a setting area: identity, sensors, line speed,
// one-shot actions and the boot choice itself.
constexpr const char* kNotInArea[] = {
    "EB",     "VN",     "PV",     "PVFE",   "ID",    "MD",    "UD",    "MD00",  "EA",    "LD",
    "SA",     "SA00",   "CLID",   "ULCK",   "TMP0",  "TMP02", "CBDRT", "BAS00", "ACC1S", "ACC2S",
    "FPGARD", "FPGAWR", "SDS",    "SDS2",   "PGS",   "PGS2",  "PBS",   "PBS2",  "LUTD1", "LUTD2",
    "CAB2",   "DACAW",  "DACBW",  "DACACW", "AFEW",  "AFM",   "AFR",   "AFG",   "AFB",   "AMM",
    "AMR",    "AMG",    "AMB",    "AR",     "AR2",   "AH",    "CB",    "SDR",   "SDR2",  "PGR",
    "PGR2",   "PBR",    "PBR2",   "PBR0",   "PBR02", "SDR0",  "SDR02", "PGR0",  "PGR02", "BLMD",
    "BLMD2",  "BLMDF",  "BLMDF2", "ATB",    "ATB2",  "ATBF",  "ATBF2", "PBDS",  "PBDS2", "PGDS",
    "PGDS2",  "SDDS",   "SDDS2",
};

constexpr const char* kColourTables[] = {"PBDR", "PBDG", "PBDB", "PGDR", "PGDG", "PGDB"};

}  // namespace

const CommandTable& CameraModel::Table() {
  static const CommandTable table;
  return table;
}

int CameraModel::RowOf(const std::string& mnemonic, int index) {
  const int first = Table().Find(mnemonic);
  if (first < 0) return -1;
  const int row = first + index;
  if (index < 0 || !CommandTable::Valid(row) || Table()[row].mnemonic != mnemonic) return -1;
  return row;
}

bool CameraModel::InArea(int row) {
  for (const char* name : kNotInArea)
    if (Table()[row].mnemonic == name) return false;
  return true;
}

CameraModel::CameraModel() {
  Defaults();
  for (Snapshot& a : areas_) {
    a.ints = ints_;
    a.texts = texts_;
  }
}

void CameraModel::AddSequence(const std::string& name, size_t count, int group, int32_t lo,
                              int32_t hi, bool persistent) {
  Sequence s;
  s.values.assign(count, 0);
  s.groupSize = group;
  s.minimum = lo;
  s.maximum = hi;
  s.persistent = persistent;
  sequences_[name] = std::move(s);
}

void CameraModel::Defaults() {
  ints_.fill(0);
  for (auto& t : texts_)
    t.clear();
  for (const Start& s : kStartInts)
    SetInt(s.name, s.value);
  for (int i = 0; i < 3; ++i) {
    SetInt("CABA2", 6, i);
    SetInt("CABS2", 4, i);
    SetInt("CABT2", 2, i);
  }
  SetText("ID", "A000000001");
  SetText("MD", "HX-9302");
  SetText("MD00", "HX-9302");
  SetText("UD", "");
  SetText("AFM", "0");

  for (const char* n : {"PBD", "PBD2", "DNH"})
    AddSequence(n, 1024, 1, -16383, 16383);
  for (const char* n : {"PGD", "PGD2", "PNH", "SDD", "SDD2"})
    AddSequence(n, 1024, 1, 0, 65535);
  AddSequence("SDDS", 768, 3, -32768, 32767);
  AddSequence("LUTD1", 256, 1, 0, 4095, true);
  AddSequence("LUTD2", 256, 1, 0, 4095, true);
  AddSequence("CAB2", 112, 1, -32768, 32767, true);
  for (const char* n : {"PBDR", "PBDG", "PBDB"})
    AddSequence(n, 2048, 1, -16383, 16383);
  for (const char* n : {"PGDR", "PGDG", "PGDB"})
    AddSequence(n, 2048, 1, 0, 65535);
  for (const char* n : {"BLMP", "BLMP2", "BLMPF", "BLMPF2"})
    AddSequence(n, 8, 1, 0, 1024, true);
  for (const char* n : {"AFR", "AFG", "AFB"})
    AddSequence(n, 128, 1, 0, 0xFFFF, true);

  for (auto& [name, s] : sequences_) {
    const Shape* shape = name.rfind("PBD", 0) == 0 || name == "DNH"   ? &kBlackShape
                         : name.rfind("PGD", 0) == 0 || name == "PNH" ? &kGainShape
                         : name == "SDDS"                             ? &kSlopeShape
                         : name.rfind("SDD", 0) == 0                  ? &kShadingShape
                                                                      : nullptr;
    if (shape) s.values = Measured(*shape, name, s.values.size());
  }
  for (size_t i = 0; i < 256; ++i) {
    Array("LUTD1")[i] = Array("LUTD2")[i] = i == 255 ? 4095 : static_cast<int32_t>(16 * i);
  }
  for (const char* n : {"PBD", "PBD2", "DNH", "PGD", "PGD2", "PNH", "SDD", "SDD2", "SDDS"})
    StoreArray(n);
  for (const char* n : kColourTables)
    StoreArray(n);
  memory_[0x400004] = 0x0001;  // the correction memory's control word
}

int32_t CameraModel::Int(const std::string& mnemonic, int index) const {
  const int row = RowOf(mnemonic, index);
  return row < 0 ? 0 : ints_[static_cast<size_t>(row)];
}

void CameraModel::SetInt(const std::string& mnemonic, int32_t value, int index) {
  const int row = RowOf(mnemonic, index);
  if (row >= 0) ints_[static_cast<size_t>(row)] = value;
}

std::string CameraModel::Text(const std::string& mnemonic) const {
  const int row = RowOf(mnemonic);
  return row < 0 ? std::string() : texts_[static_cast<size_t>(row)];
}

void CameraModel::SetText(const std::string& mnemonic, const std::string& text) {
  const int row = RowOf(mnemonic);
  if (row >= 0) texts_[static_cast<size_t>(row)] = text;
}

void CameraModel::StoreArea(int area) {
  if (area < 0 || area >= kAreas) return;
  Snapshot& a = areas_[static_cast<size_t>(area)];
  for (int row = 0; row < CommandTable::kRows; ++row) {
    if (!InArea(row)) continue;
    a.ints[static_cast<size_t>(row)] = ints_[static_cast<size_t>(row)];
    a.texts[static_cast<size_t>(row)] = texts_[static_cast<size_t>(row)];
  }
  if (area != 0) lastStoredArea_ = area;
}

void CameraModel::LoadArea(int area) {
  if (area < 0 || area >= kAreas) return;
  const Snapshot& a = areas_[static_cast<size_t>(area)];
  for (int row = 0; row < CommandTable::kRows; ++row) {
    if (!InArea(row)) continue;
    ints_[static_cast<size_t>(row)] = a.ints[static_cast<size_t>(row)];
    texts_[static_cast<size_t>(row)] = a.texts[static_cast<size_t>(row)];
  }
  currentArea_ = area;
  SetInt("EA", area);
}

int32_t CameraModel::AreaInt(int area, const std::string& mnemonic, int index) const {
  const int row = RowOf(mnemonic, index);
  if (row < 0 || area < 0 || area >= kAreas) return 0;
  return areas_[static_cast<size_t>(area)].ints[static_cast<size_t>(row)];
}

void CameraModel::ResetAreas() {
  CameraModel fresh;
  areas_[1] = fresh.areas_[1];
  areas_[2] = fresh.areas_[2];
  lastStoredArea_ = 1;
  SetInt("BAS00", 0);
}

int CameraModel::BootArea() const {
  return Int("BAS00") == 1 ? lastStoredArea_ : 0;
}

void CameraModel::PowerOn() {
  LoadArea(BootArea());
  for (const char* n : {"PBD", "PBD2", "DNH", "PGD", "PGD2", "PNH", "SDD", "SDD2", "SDDS"})
    if (const auto* s = StoredArray(n)) Array(n) = *s;
  for (const char* n : kColourTables)
    if (const auto* s = StoredArray(n)) Array(n) = *s;
  unlocked = false;
  RewindSequences();
}

void CameraModel::RewindSequences() {
  for (auto& [name, s] : sequences_) {
    s.position = 0;
    s.direction = 0;
  }
}

const std::vector<int32_t>* CameraModel::StoredArray(const std::string& name) const {
  auto it = stored_.find(name);
  return it == stored_.end() ? nullptr : &it->second;
}

uint32_t CameraModel::Memory(uint32_t address) const {
  if (auto it = memory_.find(address); it != memory_.end()) return it->second;
  // Video lines of the three colours: a ramp with a little fixed pattern noise.
  if (address >= 0x260000 && address < 0x264000) {
    const uint32_t k = (address - 0x260000) / 4;
    return 200 + (k % 2048) / 4 + static_cast<uint32_t>(Scatter(k, 3) + 3);
  }
  // The correction memories mirror the per-pixel colour tables.
  struct Window {
    uint32_t base;
    const char* table;
  };
  static constexpr Window kWindows[] = {{0x408000, "PBDR"}, {0x410000, "PBDG"}, {0x418000, "PBDB"},
                                        {0x420000, "PGDR"}, {0x428000, "PGDG"}, {0x430000, "PGDB"}};
  for (const Window& w : kWindows) {
    if (address >= w.base && address < w.base + 2048 * 4 && (address - w.base) % 4 == 0) {
      const int32_t v = Seq(w.table).values[(address - w.base) / 4];
      return w.table[1] == 'B' ? static_cast<uint32_t>(v) & 0xFFu : static_cast<uint32_t>(v);
    }
  }
  return 0;
}

uint32_t CameraModel::SensorMemory(int colour, uint32_t address) const {
  if (colour < 0 || colour > 2) return 0;
  const auto& m = sensorMemory_[static_cast<size_t>(colour)];
  auto it = m.find(address);
  return it == m.end() ? 0 : it->second;
}

void CameraModel::SetSensorMemory(int colour, uint32_t address, uint32_t value) {
  if (colour < 0 || colour > 2 || address >= kSensorMemoryWords) return;
  sensorMemory_[static_cast<size_t>(colour)][address] = value;
}

// ---- state file -------------------------------------------------------------

namespace {
constexpr const char* kStateHeader = "kestrel-camsim state 1";

void WriteArray(std::ostream& out, const std::string& name, const std::vector<int32_t>& v) {
  out << "[array " << name << "]\n";
  for (size_t i = 0; i < v.size(); ++i)
    out << (i ? "," : "") << v[i];
  out << "\n";
}
}  // namespace

bool CameraModel::SaveState(const std::string& path, std::string* error) const {
  std::ostringstream out;
  out << kStateHeader << "\n";
  out << "bas00=" << Int("BAS00") << "\nlaststored=" << lastStoredArea_ << "\n";
  out << "id=" << Text("ID") << "\nud=" << Text("UD") << "\nmd=" << Text("MD") << "\n";
  for (int a = 0; a < kAreas; ++a) {
    out << "[area " << a << "]\n";
    const Snapshot& s = areas_[static_cast<size_t>(a)];
    for (int row = 0; row < CommandTable::kRows; ++row) {
      if (!InArea(row)) continue;
      out << row << "=";
      if (Table()[row].valueType == kTypeText)
        out << s.texts[static_cast<size_t>(row)];
      else
        out << s.ints[static_cast<size_t>(row)];
      out << "\n";
    }
  }
  for (const auto& [name, v] : stored_)
    WriteArray(out, name, v);
  for (const auto& [name, s] : sequences_)
    if (s.persistent) WriteArray(out, name, s.values);

  // Through the program's one atomic writer, so a crash or a full disk leaves
  // the previous state whole.
  std::string reason;
  if (!WriteFileAtomically(path, out.str(), &reason)) {
    if (error) *error = "cannot write " + path + ": " + reason;
    return false;
  }
  return true;
}

bool CameraModel::LoadState(const std::string& path, std::string* error) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  auto fail = [&](const std::string& why, int line) {
    if (error) *error = path + ":" + std::to_string(line) + ": " + why;
    return false;
  };
  // Parse into a copy first: a damaged file changes nothing.
  CameraModel next(*this);
  std::string line;
  int lineNo = 0;
  int area = -1;
  std::string array;
  if (!std::getline(f, line) || line != kStateHeader) return fail("not a camera state file", 1);
  ++lineNo;
  while (std::getline(f, line)) {
    ++lineNo;
    line = std::string(scan::WithoutLineEnd(line));
    if (line.empty()) continue;
    if (line.rfind("[area ", 0) == 0) {
      area = std::atoi(line.c_str() + 6);
      array.clear();
      if (area < 0 || area >= kAreas) return fail("bad area", lineNo);
      continue;
    }
    if (line.rfind("[array ", 0) == 0 && line.back() == ']') {
      array = line.substr(7, line.size() - 8);
      area = -1;
      if (!next.HasSequence(array)) return fail("unknown array " + array, lineNo);
      continue;
    }
    if (!array.empty()) {
      Sequence& s = next.Seq(array);
      std::vector<int32_t> values;
      std::stringstream ss(line);
      std::string item;
      while (std::getline(ss, item, ',')) {
        char* end = nullptr;
        long v = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end || v < s.minimum || v > s.maximum)
          return fail("bad value in " + array, lineNo);
        values.push_back(static_cast<int32_t>(v));
      }
      if (values.size() != s.values.size()) return fail("wrong length of " + array, lineNo);
      if (s.persistent)
        s.values = values;
      else
        next.stored_[array] = values;
      array.clear();
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("expected KEY=VALUE", lineNo);
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (area >= 0) {
      char* end = nullptr;
      long row = std::strtol(key.c_str(), &end, 10);
      if (key.empty() || *end || !CommandTable::Valid(static_cast<int>(row)))
        return fail("bad row", lineNo);
      Snapshot& s = next.areas_[static_cast<size_t>(area)];
      if (Table()[static_cast<int>(row)].valueType == kTypeText) {
        s.texts[static_cast<size_t>(row)] = value;
      } else {
        long v = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end || v < INT32_MIN || v > INT32_MAX)
          return fail("bad value", lineNo);
        s.ints[static_cast<size_t>(row)] = static_cast<int32_t>(v);
      }
    } else if (key == "bas00") {
      next.SetInt("BAS00", std::atoi(value.c_str()) == 1 ? 1 : 0);
    } else if (key == "laststored") {
      next.lastStoredArea_ = std::atoi(value.c_str()) == 2 ? 2 : 1;
    } else if (key == "id") {
      next.SetText("ID", value);
    } else if (key == "ud") {
      next.SetText("UD", value);
    } else if (key == "md") {
      next.SetText("MD", value);
    } else {
      return fail("unknown key " + key, lineNo);
    }
  }
  *this = std::move(next);
  PowerOn();
  return true;
}

}  // namespace kestrel::sim
