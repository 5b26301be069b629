// backup, restore and diff of a backup: a whole camera in one archive.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "backup/camera_backup.h"
#include "base/checked_input.h"
#include "base/text_file.h"
#include "ctl.h"

namespace kestrel::ctl {

namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names)
    text += (text.empty() ? "" : ", ") + n;
  return text.empty() ? "none" : text;
}

// Reads and checks a backup whole: false (the reason printed) when any of it
// is damaged, truncated or not a Kestrel backup.
bool ReadBackup(const std::string& path, CheckedBackup& backup) {
  std::string archive;
  std::string why = ReadInputFile(path, kMaxTarBytes, archive);
  if (why.empty()) why = CheckBackup(archive, backup);
  if (why.empty()) return true;
  PrintError(path + ": " + why);
  return false;
}

JsonWriter& Names(JsonWriter& w, const char* key, const std::vector<std::string>& names) {
  w.Key(key).BeginArray();
  for (const std::string& n : names)
    w.String(n);
  return w.EndArray();
}

int List(Context& ctx, const std::string& path) {
  CheckedBackup backup;
  if (!ReadBackup(path, backup)) return kFailed;
  if (!ctx.json) {
    for (const std::string& line : DescribeBackup(backup))
      std::cout << line << '\n';
    std::cout.flush();
    return kOk;
  }
  const BackupManifest& m = backup.manifest;
  JsonWriter w;
  w.BeginObject().Key("model").String(m.model).Key("camera_id").String(m.cameraId);
  w.Key("user_id").String(m.userId).Key("firmware").String(m.firmware);
  w.Key("fpga1").String(m.fpga1).Key("fpga2").String(m.fpga2);
  w.Key("current_area").Int(m.currentArea).Key("factory").Bool(m.factory);
  w.Key("date").String(m.date).Key("kestrel").String(m.kestrelVersion).Key("members").BeginArray();
  for (size_t i = 0; i < backup.members.size(); ++i)
    w.BeginObject()
        .Key("name")
        .String(m.members[i].name)
        .Key("bytes")
        .Int(static_cast<int64_t>(backup.members[i].data.size()))
        .Key("sha256")
        .String(m.members[i].sha256)
        .EndObject();
  PrintJson(w.EndArray().EndObject());
  return kOk;
}

// How far a run that stopped got, on stderr.
void SayHowFar(const BackupRun& run, const char* what) {
  PrintError(std::string(what) + ": " + Joined(run.done));
}

int Backup(Context& ctx, const std::vector<std::string>& args) {
  std::string path;
  bool factory = false;
  bool list = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--factory") {
      factory = true;
    } else if ((args[i] == "-o" || args[i] == "--list") && i + 1 < args.size() && path.empty()) {
      list = args[i] == "--list";
      path = args[++i];
    } else {
      path.clear();
      break;
    }
  }
  if (path.empty() || (list && factory)) {
    PrintError("backup takes -o FILE.kbak [--factory], or --list FILE.kbak");
    return kUsage;
  }
  if (list) return List(ctx, path);
  if (!ctx.Connect()) return kFailed;
  BackupOptions options;
  options.factory = factory;
  options.timeoutMs = ctx.timeoutMs;
  options.kestrelVersion = KESTREL_VERSION;
  BackupRun run;
  std::string archive;
  const int ok = BackUpCamera(*ctx.cmd, options, archive, run);
  if (!ok) Outcome(ctx, false);
  // A whole archive is kept even when the working settings could not be put
  // back afterwards: it holds them.
  if (!archive.empty()) {
    std::string why;
    if (!WriteFileAtomically(path, archive, &why)) {
      PrintError(path + ": " + why + "; the backup was not written");
      return kFailed;
    }
    if (!ok) PrintError(path + " was written whole; it holds the working settings");
  } else if (!ok) {
    SayHowFar(run, "Read before it stopped (no file written)");
    return kFailed;
  }
  if (!ok) return kFailed;
  if (!run.note.empty()) ctx.ui.Report(run.note, MsgIcon::Information, MsgButtons::Ok, {});
  if (ctx.json)
    PrintJson(Names(JsonWriter().BeginObject().Key("file").String(path), "members", run.done)
                  .EndObject());
  else
    ctx.ui.Report("Backed up " + std::to_string(run.done.size()) + " parts into " + path,
                  MsgIcon::Information, MsgButtons::Ok, {});
  return kOk;
}

int Restore(Context& ctx, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  const bool otherCamera = std::erase(args, std::string("--other-camera")) > 0;
  if (args.size() != 1) {
    PrintError("restore takes FILE.kbak [--other-camera]");
    return kUsage;
  }
  // The whole file is checked before the port is opened.
  CheckedBackup backup;
  if (!ReadBackup(args[0], backup)) {
    PrintError("nothing was sent");
    return kFailed;
  }
  if (!ctx.Connect()) return kFailed;
  BackupOptions options;
  options.otherCamera = otherCamera;
  options.timeoutMs = ctx.timeoutMs;
  BackupRun run;
  const int ok = RestoreCamera(*ctx.cmd, backup, options, run);
  if (!run.note.empty()) ctx.ui.Report(run.note, MsgIcon::Warning, MsgButtons::Ok, {});
  if (!ok) {
    Outcome(ctx, false);
    SayHowFar(run, "Written before it stopped");
    PrintError("Read back equal: " + Joined(run.checked));
    return kFailed;
  }
  if (ctx.json) {
    JsonWriter w;
    w.BeginObject();
    Names(w, "written", run.done);
    Names(w, "checked", run.checked);
    Names(w, "skipped", run.skipped);
    PrintJson(w.Key("note").String(run.note).EndObject());
    return kOk;
  }
  ctx.ui.Report("Restored and read back equal: " + Joined(run.checked) +
                    (run.skipped.empty() ? "" : "\nLeft untouched: " + Joined(run.skipped)),
                MsgIcon::Information, MsgButtons::Ok, {});
  return kOk;
}

}  // namespace

bool IsBackupFile(const std::string& path) {
  if (path.ends_with(".kbak")) return true;
  // Or an archive by its content: the ustar magic of its first header.
  std::error_code ec;
  if (path == "-" || !std::filesystem::is_regular_file(path, ec)) return false;
  char head[263] = {};
  std::ifstream file(path, std::ios::binary);
  return file.read(head, sizeof head) && std::string_view(head + 257, 5) == "ustar";
}

int DiffBackup(Context& ctx, const std::string& path) {
  CheckedBackup backup;
  if (!ReadBackup(path, backup)) return kFailed;
  if (!ctx.Connect()) return kFailed;
  std::vector<std::string> differences;
  BackupOptions options;
  options.timeoutMs = ctx.timeoutMs;
  if (!DiffWithBackup(*ctx.cmd, backup, options, differences)) return Outcome(ctx, false);
  if (ctx.json) {
    JsonWriter w;
    PrintJson(Names(w.BeginObject(), "differences", differences).EndObject());
  } else {
    for (const std::string& d : differences)
      std::cout << d << '\n';
    std::cout.flush();
  }
  return differences.empty() ? kOk : kDiffer;
}

namespace {

const Registrar kRegistrar{
    {"backup",
     "backup -o FILE.kbak [--factory] | backup --list FILE.kbak\n"
     "                             the whole camera into one archive (settings, areas, arrays,\n"
     "                             LUTs, aberration, user ID; --factory: AFE and sensor memory)",
     Backup, Output::Json},
    {"restore",
     "restore [--other-camera] FILE.kbak\n"
     "                             write a backup back and read everything back; per-pixel data\n"
     "                             go into another camera only with --other-camera",
     Restore, Output::Json},
};

}  // namespace
}  // namespace kestrel::ctl
