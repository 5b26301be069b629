#include "backup/camera_backup.h"

#include <stdlib.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "base/checked_input.h"
#include "base/settings.h"
#include "base/text_file.h"
#include "correction/aberration.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "correction/lut_table.h"
#include "panel/areas.h"
#include "panel/binding_table.h"
#include "panel/headless_view.h"
#include "panel/setting_diff.h"
#include "panel/setting_file.h"
#include "protocol/text_value.h"
#include "service/about_info.h"
#include "service/afe_register.h"
#include "service/sensor_memory.h"

namespace kestrel {
namespace {

constexpr const char* kSettingsName = "settings.cam";
constexpr const char* kAberrationName = "aberration.csv";
constexpr const char* kUserIdName = "user-id.txt";
constexpr const char* kAfeName = "afe-registers.csv";
constexpr int kAreaMs = 20000;
// The sensor memory's colours a save can read: RED, GREEN and BLUE ("ALL"
// writes all three and reads back nothing of its own).
constexpr int kFirstMemoryColour = 1;

std::string AreaName(int area) {
  return "area" + std::to_string(area) + ".cam";
}
std::string LutName(int channel) {
  return "lut-" + std::to_string(channel + 1) + ".txt";
}
std::string MemoryName(int colour, int block) {
  return "sensor-memory-" + SensorMemoryColourItems()[static_cast<size_t>(colour)] + "-" +
         SensorMemoryBlockItems()[static_cast<size_t>(block)] + ".txt";
}

// The correction arrays: a kind with one array has one member, named by the
// kind; the others one per sensor ("pixel-black-2.csv").
struct ArrayPart {
  CorrectionKind kind;
  int sensor;
  std::string name;
};
std::vector<ArrayPart> ArrayParts() {
  std::vector<ArrayPart> parts;
  for (int k = 0; k < kCorrectionKindCount; ++k) {
    const auto kind = static_cast<CorrectionKind>(k);
    const CorrectionKindInfo& info = InfoOf(kind);
    if (!info.mnemonic2) {
      parts.push_back({kind, 1, std::string(info.name) + ".csv"});
      continue;
    }
    for (int sensor = 1; sensor <= 2; ++sensor)
      parts.push_back(
          {kind, sensor, std::string(info.name) + "-" + std::to_string(sensor) + ".csv"});
  }
  return parts;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

// A folder for the engines that work on files, removed with everything in it.
class Scratch {
 public:
  Scratch() {
    const char* tmp = ::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kestrel-backup-XXXXXX";
    if (::mkdtemp(pattern.data())) dir_ = pattern;
  }
  ~Scratch() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  // A path in the folder, or "" when the folder could not be made.
  std::string Path(const std::string& name) const { return dir_.empty() ? "" : dir_ + "/" + name; }

 private:
  std::string dir_;
};

// The failure of a part: what the engine said, after the member's name.
int FailPart(CCamCmd& cmd, const std::string& name) {
  Failure f = cmd.LastFailure();
  if (!f) f = Failure(FailureKind::Rejected, "failed");
  f.text = name + ": " + f.text;
  return cmd.Fail(f);
}

// Runs the parts in turn: progress, Cancel between parts, the time of each.
class Parts {
 public:
  Parts(CCamCmd& cmd, const BackupOptions& options, BackupRun& run, const char* verb)
      : cmd_(cmd), options_(options), run_(run), verb_(verb) {
    cmd_.Ui().ShowProgress();
  }
  ~Parts() {
    if (!current_.empty()) End();
    if (options_.onPart) options_.onPart("");
    cmd_.Ui().CloseProgress();
  }
  void SetTotal(int total) { total_ = total; }
  // False (Cancelled) when the person asked to stop.
  bool Begin(const std::string& name) {
    if (!current_.empty()) End();
    if (cmd_.Ui().CancelRequested())
      return cmd_.Fail(FailureKind::Cancelled, "Stopped before " + name) != 0;
    Step(name);
    return true;
  }
  // A part that runs even after a Cancel.
  void Step(const std::string& name) {
    if (!current_.empty()) End();
    if (options_.onPart) options_.onPart(name);
    ++index_;
    cmd_.Ui().SetProgressMessage(verb_ + name + " (" + std::to_string(index_) + " of " +
                                 std::to_string(total_) + ")");
    cmd_.Ui().SetProgressPercent(total_ ? (index_ - 1) * 100 / total_ : 0);
    current_ = name;
    start_ = std::chrono::steady_clock::now();
  }

 private:
  void End() {
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start_;
    run_.seconds.emplace_back(current_, took.count());
    current_.clear();
  }
  CCamCmd& cmd_;
  const BackupOptions& options_;
  BackupRun& run_;
  std::string verb_;
  std::string current_;
  int index_ = 0;
  int total_ = 0;
  std::chrono::steady_clock::time_point start_;
};

// Every value a FACTORY setting file holds, read as the panel reads them.
int ReadSettingsText(CCamCmd& cmd, std::string& text) {
  Settings& settings = cmd.Config();
  const int mode = settings.operatingMode;
  settings.operatingMode = kModeFactory;
  BindingTable table(cmd);
  SilentReporter quiet;
  table.SetReporter(quiet);
  HeadlessBindingView view(table);
  table.AttachView(&view);
  table.ReadAllParams();
  settings.operatingMode = mode;
  if (cmd.Ui().CancelRequested())
    return cmd.Fail(FailureKind::Cancelled, "Stopped while reading the settings");
  const std::vector<BindingValue> values = BindingValues(table);
  std::vector<std::string> problems;
  for (const BindingValue& b : values)
    if (!b.readProblem.empty() && CommandTable::Valid(b.cmdIndex) &&
        !AlwaysSkippedInFiles(b.ctrlId))
      problems.push_back(b.readProblem);
  if (!problems.empty()) {
    const FailureKind kind = cmd.LinkLost()      ? FailureKind::Lost
                             : cmd.LastFailure() ? cmd.LastFailure().kind
                                                 : FailureKind::Unreadable;
    std::string why = table.ReadSummary() + ":\n" + ProblemSummary(problems);
    if (cmd.LinkLost()) why = cmd.LostText() + "\n" + why;
    return cmd.Fail(kind, why);
  }
  text = JoinCrLf(SettingFileLines(cmd, values, kModeFactory));
  return 1;
}

// The camera's values of every row of a setting text against the text.
std::vector<std::string> SettingDifferences(CCamCmd& cmd, const std::string& text, int timeoutMs,
                                            int& unread) {
  const SettingRows rows = ReadSettingRows(cmd, text);
  const CameraValues values = ReadCameraValues(cmd, rows.rows, timeoutMs);
  unread = values.Unread();
  std::vector<std::string> lines = rows.problems;
  for (const SettingDifference& d : DiffWithCamera(cmd, values))
    lines.push_back(d.name + "  backup=" + (d.hasFile ? d.file : "(" + d.reason + ")") +
                    "  camera=" + (d.hasOther ? d.other : "(" + d.reason + ")") + "  " + d.caption);
  return lines;
}

// Read back: 1 when the camera holds every value of the text.
int CheckSettings(CCamCmd& cmd, const std::string& text, int timeoutMs) {
  int unread = 0;
  const std::vector<std::string> lines = SettingDifferences(cmd, text, timeoutMs, unread);
  if (lines.empty()) return 1;
  std::string why = "the camera does not hold what was written:";
  for (size_t i = 0; i < lines.size() && i < 10; ++i)
    why += "\n" + lines[i];
  if (lines.size() > 10) why += "\n... and " + std::to_string(lines.size() - 10) + " more";
  return cmd.Fail(unread > 0 ? cmd.LastFailure().kind : FailureKind::Rejected, why);
}

int Replay(CCamCmd& cmd, const std::string& text) {
  const ReplayResult r = ReplaySettingText(text, cmd, nullptr);
  if (r.ok()) return 1;
  if (!r.FailureRecorded()) return cmd.Fail(FailureKind::BadInput, "lines the camera cannot take");
  return 0;
}

// Loads the area that was current and the working settings that were there,
// and checks them: after reading the areas, whatever stopped it. Runs to its
// end even after a Cancel: the camera must not be left holding another area.
int PutBackSettings(CCamCmd& cmd, int area, const std::string& working, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  UserInterface uninterrupted;
  cmd.SetUserInterface(uninterrupted);
  int current = area;
  const int ok = LoadSettingsArea(cmd, current, area, nullptr, kAreaMs) == 1 &&
                 Replay(cmd, working) == 1 && CheckSettings(cmd, working, timeoutMs) == 1;
  cmd.SetUserInterface(ui);
  return ok;
}

TransferTiming Timing(const BackupOptions& options) {
  TransferTiming t;
  t.ackTimeoutMs = t.replyTimeoutMs = options.timeoutMs;
  t.pauseMs = options.pauseMs;
  return t;
}

int ReadFileEngine(CCamCmd& cmd, const Scratch& scratch, const std::string& name,
                   const std::function<int(const std::string&)>& save, std::string& text) {
  const std::string path = scratch.Path(name);
  if (path.empty()) return cmd.Fail(FailureKind::FileError, "no temporary folder for " + name);
  if (save(path) != 1) return 0;
  if (!ReadWholeFile(path, text))
    return cmd.Fail(FailureKind::FileError, path + ": " + std::strerror(errno));
  return 1;
}

std::string NowIso() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

int ReadIdentity(CCamCmd& cmd, BackupManifest& m) {
  CameraInfo info;
  if (RefreshCameraData(cmd, info) != 6) return FailPart(cmd, "camera identity");
  m.model = info.modelName;
  m.cameraId = info.cameraId;
  m.userId = info.userId;
  m.firmware = Trimmed(info.firmwareVersion);
  m.fpga1 = Trimmed(info.fpga1Version);
  m.fpga2 = Trimmed(info.fpga2Version);
  if (m.cameraId.empty())
    return cmd.Fail(FailureKind::Unreadable, "the camera reports no camera ID");
  return 1;
}

}  // namespace

int BackUpCamera(CCamCmd& cmd, const BackupOptions& options, std::string& archive, BackupRun& run) {
  CCamCmd::LinkOwner owner(cmd);
  Parts parts(cmd, options, run, "Backing up ");
  const std::vector<ArrayPart> arrays = ArrayParts();
  parts.SetTotal(2 + static_cast<int>(arrays.size()) + 2 + 1 + 1 + 3 +
                 (options.factory ? 1 + 3 * kSensorMemoryBlocks : 0));
  BackupManifest manifest;
  manifest.factory = options.factory;
  manifest.kestrelVersion = options.kestrelVersion;
  manifest.date = options.date.empty() ? NowIso() : options.date;
  std::vector<TarMember> members;
  auto add = [&](const std::string& name, std::string data) {
    members.push_back({name, std::move(data)});
    run.done.push_back(name);
  };

  if (!parts.Begin("camera identity") || !ReadIdentity(cmd, manifest)) return 0;
  if (cmd.QueryInt(cmd::EA, manifest.currentArea, options.timeoutMs) != 1)
    return FailPart(cmd, "current area");
  if (manifest.currentArea < 0 || manifest.currentArea > 2)
    return cmd.Fail(FailureKind::Unreadable,
                    "the camera reports area " + std::to_string(manifest.currentArea));

  std::string working;
  if (!parts.Begin(kSettingsName)) return 0;
  if (!ReadSettingsText(cmd, working)) return FailPart(cmd, kSettingsName);
  add(kSettingsName, working);

  CDataTransfer transfer(cmd, Timing(options));
  for (const ArrayPart& p : arrays) {
    if (!parts.Begin(p.name)) return 0;
    const CorrectionKindInfo& info = InfoOf(p.kind);
    std::vector<int32_t> values(static_cast<size_t>(info.count));
    if (!transfer.ReadCorrection(p.kind, values.data(), p.sensor)) return FailPart(cmd, p.name);
    // A value the camera could not take back is no backup.
    if (Failure f = CheckDataRange(values.data(), info.count, info.minimum, info.maximum)) {
      f.text = p.name + ": " + f.text;
      return cmd.Fail(f);
    }
    add(p.name, FormatDataText(values.data(), info.perCommand, RowsOf(p.kind)));
  }
  for (int channel = 0; channel < 2; ++channel) {
    if (!parts.Begin(LutName(channel))) return 0;
    LutTable table{};
    if (ReadLutTable(cmd, channel, table, options.timeoutMs) != kLutEntries)
      return FailPart(cmd, LutName(channel));
    add(LutName(channel), FormatGammaText(table));
  }
  if (!parts.Begin(kAberrationName)) return 0;
  AberrationTable aberration{};
  if (!ReadAberrationTable(cmd, aberration, options.timeoutMs))
    return FailPart(cmd, kAberrationName);
  add(kAberrationName, FormatAberrationText(aberration));
  if (!parts.Begin(kUserIdName)) return 0;
  add(kUserIdName, JoinCrLf({manifest.userId}));

  if (options.factory) {
    Scratch scratch;
    std::string text;
    if (!parts.Begin(kAfeName) ||
        !ReadFileEngine(
            cmd, scratch, kAfeName,
            [&](const std::string& path) { return SaveRegisterFile(cmd, path); }, text))
      return cmd.LastFailure().kind == FailureKind::Cancelled ? 0 : FailPart(cmd, kAfeName);
    add(kAfeName, text);
    for (int colour = kFirstMemoryColour; colour < kSensorMemoryColours; ++colour)
      for (int block = 0; block < kSensorMemoryBlocks; ++block) {
        const std::string name = MemoryName(colour, block);
        if (!parts.Begin(name)) return 0;
        if (!ReadFileEngine(
                cmd, scratch, name,
                [&](const std::string& path) { return SaveSensorMemory(cmd, colour, block, path); },
                text))
          return FailPart(cmd, name);
        add(name, text);
      }
  }

  // The areas last: reading one means loading it, and the working settings
  // and the current area are put back after them whatever happens.
  int failedAt = -1;
  for (int area = 0; area < 3 && failedAt < 0; ++area) {
    std::string text;
    int current = area;
    if (!parts.Begin(AreaName(area)) ||
        LoadSettingsArea(cmd, current, area, nullptr, kAreaMs) != 1 ||
        !ReadSettingsText(cmd, text)) {
      failedAt = area;
      break;
    }
    add(AreaName(area), text);
  }
  const Failure areaFailure = cmd.LastFailure();
  if (cmd.LinkLost()) return failedAt >= 0 ? FailPart(cmd, AreaName(failedAt)) : 0;
  // Whole without the working settings put back too: the archive holds them.
  if (failedAt < 0) archive = PackBackup(manifest, members, std::time(nullptr));
  parts.Step("putting back the working settings");
  if (!PutBackSettings(cmd, manifest.currentArea, working, options.timeoutMs)) {
    Failure f = cmd.LastFailure();
    f.text = "The working settings could not be put back after reading the areas" +
             std::string(archive.empty() ? "" : " (the backup holds them: restore it)") + ":\n" +
             f.text;
    return cmd.Fail(f);
  }
  run.note = "The working settings and area " + std::to_string(manifest.currentArea) +
             " were put back after reading the areas and read back equal.";
  if (failedAt >= 0) {
    Failure f = areaFailure;
    f.text = AreaName(failedAt) + ": " + f.text + "\n" + run.note;
    return cmd.Fail(f);
  }
  return 1;
}

namespace {

// Everything a restore sends, parsed and checked before the first byte goes.
struct RestorePlan {
  std::string working;
  std::string areas[3];
  struct Array {
    ArrayPart part;
    std::vector<int32_t> values;
  };
  std::vector<Array> arrays;
  LutTable luts[2]{};
  AberrationTable aberration{};
  std::string userId;
  std::string afe;
  struct Memory {
    int colour, block;
    std::string name, text;
  };
  std::vector<Memory> memory;
};

std::string CheckSettingsMember(const CommandTable& table, const std::string& name,
                                const std::string& text) {
  const SettingFileCheck check = CheckSettingText(table, text);
  return check.problems.empty() ? std::string() : name + ": " + ProblemSummary(check.problems);
}

// "" and the plan, or why the backup cannot be restored (nothing sent).
std::string Plan(const CCamCmd& cmd, const CheckedBackup& backup, RestorePlan& plan) {
  auto need = [&](const std::string& name, std::string& text) -> std::string {
    const std::string* data = backup.Find(name);
    if (!data) return "the backup has no " + name;
    text = *data;
    return {};
  };
  std::string text;
  if (std::string why = need(kSettingsName, plan.working); !why.empty()) return why;
  if (std::string why = CheckSettingsMember(cmd.Table(), kSettingsName, plan.working); !why.empty())
    return why;
  for (int area = 0; area < 3; ++area) {
    if (std::string why = need(AreaName(area), plan.areas[area]); !why.empty()) return why;
    if (std::string why = CheckSettingsMember(cmd.Table(), AreaName(area), plan.areas[area]);
        !why.empty())
      return why;
  }
  for (const ArrayPart& p : ArrayParts()) {
    if (std::string why = need(p.name, text); !why.empty()) return why;
    const CorrectionKindInfo& info = InfoOf(p.kind);
    RestorePlan::Array a{p, {}};
    std::string why = ParseDataText(text, a.values, info.perCommand, RowsOf(p.kind));
    if (why.empty())
      why = CheckDataRange(a.values.data(), info.count, info.minimum, info.maximum).text;
    if (!why.empty()) return p.name + ": " + why;
    plan.arrays.push_back(std::move(a));
  }
  for (int channel = 0; channel < 2; ++channel) {
    if (std::string why = need(LutName(channel), text); !why.empty()) return why;
    if (std::string why = ParseGammaText(text, plan.luts[channel]); !why.empty())
      return LutName(channel) + ": " + why;
  }
  if (std::string why = need(kAberrationName, text); !why.empty()) return why;
  if (std::string why = ParseAberrationText(text, plan.aberration); !why.empty())
    return std::string(kAberrationName) + ": " + why;
  if (std::string why = need(kUserIdName, text); !why.empty()) return why;
  const std::vector<std::string> lines = InputLinesTrimmed(text);
  if (lines.size() > 1) return std::string(kUserIdName) + ": more than one line";
  plan.userId = lines.empty() ? "" : lines[0];
  if (std::string why = CheckTextValue(cmd.Table(), cmd::UD, plan.userId); !why.empty())
    return std::string(kUserIdName) + ": " + why;
  if (backup.manifest.factory) {
    std::vector<std::string> commands;
    if (std::string why = need(kAfeName, plan.afe); !why.empty()) return why;
    if (std::string why = RegisterFileCommands(plan.afe, commands); !why.empty())
      return std::string(kAfeName) + ": " + why;
    for (int colour = kFirstMemoryColour; colour < kSensorMemoryColours; ++colour)
      for (int block = 0; block < kSensorMemoryBlocks; ++block) {
        RestorePlan::Memory m{colour, block, MemoryName(colour, block), {}};
        if (std::string why = need(m.name, m.text); !why.empty()) return why;
        if (std::string why = SensorMemoryCommands(m.text, SensorMemoryStem(colour),
                                                   SensorMemoryBase(block), commands);
            !why.empty())
          return m.name + ": " + why;
        plan.memory.push_back(std::move(m));
      }
  }
  return {};
}

// Writes a file member through an engine that loads files, then saves the
// camera's copy through its counterpart and compares the two texts.
int WriteAndCompareFile(CCamCmd& cmd, const Scratch& scratch, const std::string& name,
                        const std::string& text, const std::function<int(const std::string&)>& load,
                        const std::function<int(const std::string&)>& save) {
  const std::string path = scratch.Path(name);
  std::string why;
  if (path.empty() || !WriteFileAtomically(path, text, &why))
    return cmd.Fail(FailureKind::FileError, "no temporary copy of " + name + ": " + why);
  if (load(path) != 1) return 0;
  std::string held;
  if (!ReadFileEngine(cmd, scratch, name + ".held", save, held)) return 0;
  if (held != text)
    return cmd.Fail(FailureKind::Rejected, "the camera does not hold what was written");
  return 1;
}

}  // namespace

int RestoreCamera(CCamCmd& cmd, const CheckedBackup& backup, const BackupOptions& options,
                  BackupRun& run) {
  RestorePlan plan;
  if (std::string why = Plan(cmd, backup, plan); !why.empty())
    return cmd.Fail(FailureKind::BadInput, why + "; nothing was sent");
  CCamCmd::LinkOwner owner(cmd);
  Parts parts(cmd, options, run, "Restoring ");
  parts.SetTotal(1 + 3 + 1 + static_cast<int>(plan.arrays.size()) + 1 + 2 + 1 + 1 +
                 (backup.manifest.factory ? 1 + static_cast<int>(plan.memory.size()) : 0));
  const BackupManifest& m = backup.manifest;

  if (!parts.Begin("camera identity")) return 0;
  BackupManifest camera;
  if (!ReadIdentity(cmd, camera)) return 0;
  if (camera.model != m.model)
    return cmd.Fail(FailureKind::BadInput, "The backup is of a " + m.model + ", this camera is a " +
                                               camera.model + "; nothing was sent");
  const bool sameCamera = camera.cameraId == m.cameraId;
  const bool perCamera = sameCamera || options.otherCamera;
  if (!sameCamera)
    run.note = "The backup is of camera " + m.cameraId + ", this is camera " + camera.cameraId +
               (perCamera ? "; its per-pixel data, AFE registers and sensor memory were written "
                            "as asked (--other-camera)."
                          : "; its per-pixel data, AFE registers and sensor memory were left "
                            "untouched.");
  auto written = [&](const std::string& name) { run.done.push_back(name); };
  auto checked = [&](const std::string& name) { run.checked.push_back(name); };

  for (int area = 0; area < 3; ++area) {
    const std::string name = AreaName(area);
    int current = area;
    if (!parts.Begin(name)) return 0;
    if (!Replay(cmd, plan.areas[area]) || StoreSettingsArea(cmd, current, area, kAreaMs) != 1)
      return FailPart(cmd, name);
    written(name);
    // Read back the stored copy: load it again and compare.
    if (LoadSettingsArea(cmd, current, area, nullptr, kAreaMs) != 1 ||
        !CheckSettings(cmd, plan.areas[area], options.timeoutMs))
      return FailPart(cmd, name);
    checked(name);
  }
  if (!parts.Begin(kSettingsName)) return 0;
  int current = m.currentArea;
  if (LoadSettingsArea(cmd, current, m.currentArea, nullptr, kAreaMs) != 1 ||
      !Replay(cmd, plan.working))
    return FailPart(cmd, kSettingsName);
  written(kSettingsName);
  if (!CheckSettings(cmd, plan.working, options.timeoutMs)) return FailPart(cmd, kSettingsName);
  checked(kSettingsName);

  CDataTransfer transfer(cmd, Timing(options));
  for (const RestorePlan::Array& a : plan.arrays) {
    if (!perCamera) {
      run.skipped.push_back(a.part.name);
      continue;
    }
    if (!parts.Begin(a.part.name)) return 0;
    if (!transfer.WriteCorrection(a.part.kind, a.values.data(), a.part.sensor))
      return FailPart(cmd, a.part.name);
    written(a.part.name);
    std::vector<int32_t> held(a.values.size());
    if (!transfer.ReadCorrection(a.part.kind, held.data(), a.part.sensor))
      return FailPart(cmd, a.part.name);
    if (Failure f =
            CompareReadBack(a.values.data(), held.data(), static_cast<int>(held.size()), "pixel")) {
      f.text = a.part.name + ": " + f.text;
      return cmd.Fail(f);
    }
    checked(a.part.name);
  }
  if (perCamera) {
    // The kinds without a store command of their own are kept by the
    // sensor-1 store of their family.
    if (!parts.Begin("storing the correction arrays")) return 0;
    for (const RestorePlan::Array& a : plan.arrays)
      if (HasStoreCommand(a.part.kind) && !transfer.StoreCorrection(a.part.kind, a.part.sensor))
        return FailPart(cmd, a.part.name);
  }
  for (int channel = 0; channel < 2; ++channel) {
    const std::string name = LutName(channel);
    if (!parts.Begin(name)) return 0;
    if (WriteLutTable(cmd, channel, plan.luts[channel], options.timeoutMs) != 1)
      return FailPart(cmd, name);
    written(name);
    LutTable held{};
    if (ReadLutTable(cmd, channel, held, options.timeoutMs) != kLutEntries)
      return FailPart(cmd, name);
    if (Failure f = CompareReadBack(plan.luts[channel].data(), held.data(), kLutEntries, "entry")) {
      f.text = name + ": " + f.text;
      return cmd.Fail(f);
    }
    checked(name);
  }
  if (!parts.Begin(kAberrationName)) return 0;
  if (!WriteAberrationTable(cmd, plan.aberration, options.timeoutMs))
    return FailPart(cmd, kAberrationName);
  written(kAberrationName);
  AberrationTable held{};
  if (!ReadAberrationTable(cmd, held, options.timeoutMs)) return FailPart(cmd, kAberrationName);
  if (Failure f =
          CompareReadBack(plan.aberration.data(), held.data(), kAberrationValues, "entry")) {
    f.text = std::string(kAberrationName) + ": " + f.text;
    return cmd.Fail(f);
  }
  checked(kAberrationName);

  if (!parts.Begin(kUserIdName)) return 0;
  if (!SaveUserId(cmd, plan.userId)) return FailPart(cmd, kUserIdName);
  written(kUserIdName);
  ParamValue userId;
  if (cmd.QueryValue(cmd::UD, userId, options.timeoutMs) != 1) return FailPart(cmd, kUserIdName);
  if (userId.textValue != plan.userId)
    return cmd.Fail(FailureKind::Rejected, std::string(kUserIdName) + ": the camera holds \"" +
                                               userId.textValue + "\" after \"" + plan.userId +
                                               "\" was written");
  checked(kUserIdName);

  if (m.factory && !perCamera) {
    run.skipped.push_back(kAfeName);
    for (const RestorePlan::Memory& mem : plan.memory)
      run.skipped.push_back(mem.name);
  } else if (m.factory) {
    Scratch scratch;
    if (!parts.Begin(kAfeName)) return 0;
    if (!WriteAndCompareFile(
            cmd, scratch, kAfeName, plan.afe,
            [&](const std::string& path) { return LoadRegisterFile(cmd, path); },
            [&](const std::string& path) { return SaveRegisterFile(cmd, path); }))
      return FailPart(cmd, kAfeName);
    written(kAfeName);
    checked(kAfeName);
    for (const RestorePlan::Memory& mem : plan.memory) {
      if (!parts.Begin(mem.name)) return 0;
      if (!WriteAndCompareFile(
              cmd, scratch, mem.name, mem.text,
              [&](const std::string& path) {
                return LoadSensorMemory(cmd, mem.colour, mem.block, path);
              },
              [&](const std::string& path) {
                return SaveSensorMemory(cmd, mem.colour, mem.block, path);
              }))
        return FailPart(cmd, mem.name);
      written(mem.name);
      checked(mem.name);
    }
  }
  return 1;
}

namespace {

// "pixel-black-1.csv: 3 of 1024 values differ, first at 17: backup 40, camera 41".
void CompareValues(const std::string& name, const int32_t* backup, const int32_t* camera, int count,
                   std::vector<std::string>& differences) {
  int differ = 0, first = -1;
  for (int i = 0; i < count; ++i)
    if (backup[i] != camera[i]) {
      if (first < 0) first = i;
      ++differ;
    }
  if (differ == 0) return;
  differences.push_back(name + ": " + std::to_string(differ) + " of " + std::to_string(count) +
                        " values differ, first at " + std::to_string(first) + ": backup " +
                        std::to_string(backup[first]) + ", camera " +
                        std::to_string(camera[first]));
}

}  // namespace

int DiffWithBackup(CCamCmd& cmd, const CheckedBackup& backup, const BackupOptions& options,
                   std::vector<std::string>& differences) {
  const int timeoutMs = options.timeoutMs;
  RestorePlan plan;
  if (std::string why = Plan(cmd, backup, plan); !why.empty())
    return cmd.Fail(FailureKind::BadInput, why);
  CCamCmd::LinkOwner owner(cmd);
  int unread = 0;
  differences = SettingDifferences(cmd, plan.working, timeoutMs, unread);
  if (unread > 0) return FailPart(cmd, kSettingsName);
  CDataTransfer transfer(cmd, Timing(options));
  for (const RestorePlan::Array& a : plan.arrays) {
    std::vector<int32_t> held(a.values.size());
    if (!transfer.ReadCorrection(a.part.kind, held.data(), a.part.sensor))
      return FailPart(cmd, a.part.name);
    CompareValues(a.part.name, a.values.data(), held.data(), static_cast<int>(held.size()),
                  differences);
  }
  for (int channel = 0; channel < 2; ++channel) {
    LutTable held{};
    if (ReadLutTable(cmd, channel, held, timeoutMs) != kLutEntries)
      return FailPart(cmd, LutName(channel));
    CompareValues(LutName(channel), plan.luts[channel].data(), held.data(), kLutEntries,
                  differences);
  }
  AberrationTable held{};
  if (!ReadAberrationTable(cmd, held, timeoutMs)) return FailPart(cmd, kAberrationName);
  CompareValues(kAberrationName, plan.aberration.data(), held.data(), kAberrationValues,
                differences);
  return 1;
}

std::vector<std::string> DescribeBackup(const CheckedBackup& backup) {
  const BackupManifest& m = backup.manifest;
  std::vector<std::string> lines = {
      "model " + m.model + ", camera ID " + m.cameraId + ", user ID \"" + m.userId + "\"",
      "firmware " + m.firmware + ", FPGA1 " + m.fpga1 + ", FPGA2 " + m.fpga2 + ", current area " +
          std::to_string(m.currentArea) + (m.factory ? ", with the factory parts" : ""),
      "written " + m.date + " by Kestrel " + m.kestrelVersion};
  for (size_t i = 0; i < backup.members.size(); ++i)
    lines.push_back(backup.members[i].name + "  " + std::to_string(backup.members[i].data.size()) +
                    " bytes  sha256 " + m.members[i].sha256);
  return lines;
}

}  // namespace kestrel
