#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "protocol/command_table.h"

namespace kestrel::sim {

// One array the camera exchanges a group at a time without an index (the
// correction data, the LUTs, the aberration table). The camera keeps the
// position; see docs/simulator.md for when it returns to element 0.
struct Sequence {
  std::vector<int32_t> values;
  int groupSize = 1;    // values per command or reply
  int32_t minimum = 0;  // a set outside this range is refused
  int32_t maximum = 0;
  size_t position = 0;      // next element
  int direction = 0;        // 0 fresh, 1 being read, 2 being written
  uint64_t lastUseMs = 0;   // camera clock of the last group
  bool persistent = false;  // written through to the state file as it stands
};

// Behaviour a test or the simulator's options can change while the camera runs.
struct CameraKnobs {
  int calibrationResult = 1;       // status a run ends in: 1 done, 2..4 errors, 0 never ends
  int calibrationPolls = 3;        // status queries that still report "running"
  uint32_t sequenceIdleMs = 1000;  // a pause longer than this restarts a sequence
  std::set<std::string> rejected;  // mnemonics answered with an error line
  // A set above the limit is acknowledged and kept as the limit: a value
  // that does not stick.
  std::map<std::string, int32_t> clamped;
  // Mnemonic -> the line its queries are answered with, as it stands (a
  // camera that answers "LR=abc"): for the tests of what Kestrel believes.
  std::map<std::string, std::string> queryReplies;
};

// The camera's state: every table command's value, the three setting areas,
// the bulk arrays, the memories and registers of the factory tools. No
// threads, no I/O except the state file; CommandInterpreter gives it a voice.
class CameraModel {
 public:
  static constexpr int kAreas = 3;  // 0 Factory, 1 User 1, 2 User 2

  CameraModel();

  static const CommandTable& Table();

  // Table values. Unknown mnemonics read as 0 / empty and are not stored.
  int32_t Int(const std::string& mnemonic, int index = 0) const;
  void SetInt(const std::string& mnemonic, int32_t value, int index = 0);
  std::string Text(const std::string& mnemonic) const;
  void SetText(const std::string& mnemonic, const std::string& text);
  int32_t RowInt(int row) const { return ints_[static_cast<size_t>(row)]; }
  const std::string& RowText(int row) const { return texts_[static_cast<size_t>(row)]; }
  void SetRowInt(int row, int32_t value) { ints_[static_cast<size_t>(row)] = value; }
  void SetRowText(int row, const std::string& text) { texts_[static_cast<size_t>(row)] = text; }
  // Row of NAME (plus index for the indexed rows), or -1.
  static int RowOf(const std::string& mnemonic, int index = 0);

  // Setting areas. Working settings are the table values above.
  int CurrentArea() const { return currentArea_; }
  void SetCurrentArea(int area) { currentArea_ = area; }
  void StoreArea(int area);  // working settings -> area
  void LoadArea(int area);   // area -> working settings; becomes current
  void ResetAreas();         // the user areas and the boot choice back to defaults
  void PowerOn();            // boot: load the boot area, lock, rewind sequences
  int BootArea() const;      // area loaded at power-on
  int32_t AreaInt(int area, const std::string& mnemonic, int index = 0) const;

  // Bulk arrays by their command: "PBD", "PBD2", "DNH", "PGD", "PGD2", "PNH",
  // "SDD", "SDD2", "SDDS" (shading slope, 3 per group), "LUTD1", "LUTD2",
  // "CAB2" (aberration), "PBDR".."PGDB" (per-pixel colour tables, indexed),
  // "BLMP", "BLMP2", "BLMPF", "BLMPF2" (blemish lists, addressed by BLMI*),
  // "AFR", "AFG", "AFB" (AFE tables, indexed).
  bool HasSequence(const std::string& name) const { return sequences_.count(name) != 0; }
  Sequence& Seq(const std::string& name) { return sequences_.at(name); }
  const Sequence& Seq(const std::string& name) const { return sequences_.at(name); }
  std::vector<int32_t>& Array(const std::string& name) { return Seq(name).values; }
  // The non-volatile copy a store command makes ("PBDS=0" keeps "PBD").
  void StoreArray(const std::string& name) { stored_[name] = Seq(name).values; }
  const std::vector<int32_t>* StoredArray(const std::string& name) const;
  void RewindSequences();

  // Sparse 32-bit memory of the dump and write commands, byte addresses,
  // one word per 4 bytes. Words never written read as the camera's live data
  // (a video ramp, the colour correction tables), see docs/simulator.md.
  uint32_t Memory(uint32_t address) const;
  void SetMemory(uint32_t address, uint32_t value) { memory_[address] = value; }
  // Sensor memory of AMM/AMR/AMG/AMB: colour 0 red, 1 green, 2 blue.
  static constexpr uint32_t kSensorMemoryWords = 19 * 0x800;
  uint32_t SensorMemory(int colour, uint32_t address) const;
  void SetSensorMemory(int colour, uint32_t address, uint32_t value);
  // FPGA registers, AFE registers (chip 0..7, register, channel 1..2), DAC words.
  std::map<uint32_t, uint32_t> fpga;
  uint32_t fpgaReadAddress = 0;
  std::map<std::array<int, 3>, uint32_t> afe;
  std::map<std::array<int, 3>, int32_t> dac;  // (cmd, sensor, channel) -> data
  std::vector<std::string> factoryLines;      // PGL, FPLD, CBC0, AFM lines in order

  // Calibration runs by status command ("SDS", "PGS2", ...).
  struct Run {
    int pollsLeft = 0;
    int status = 1;
  };
  std::map<std::string, Run> runs;

  bool unlocked = false;  // ULCK with the right code, for the next ID
  int baud = 9600;        // the camera's line speed
  CameraKnobs knobs;

  // The persistent part (areas, boot choice, IDs, stored arrays) as a text
  // file, replaced atomically. Load gives false and a reason on a bad file.
  bool SaveState(const std::string& path, std::string* error = nullptr) const;
  bool LoadState(const std::string& path, std::string* error = nullptr);

 private:
  struct Snapshot {
    std::array<int32_t, CommandTable::kRows> ints{};
    std::array<std::string, CommandTable::kRows> texts;
  };
  static bool InArea(int row);
  void Defaults();
  void AddSequence(const std::string& name, size_t count, int group, int32_t lo, int32_t hi,
                   bool persistent = false);

  std::array<int32_t, CommandTable::kRows> ints_{};
  std::array<std::string, CommandTable::kRows> texts_;
  std::array<Snapshot, kAreas> areas_;
  int currentArea_ = 0;
  int lastStoredArea_ = 1;  // the "Update Area" a boot may choose
  std::map<std::string, Sequence> sequences_;
  std::map<std::string, std::vector<int32_t>> stored_;
  std::map<uint32_t, uint32_t> memory_;
  std::array<std::map<uint32_t, uint32_t>, 3> sensorMemory_;
};

}  // namespace kestrel::sim
