// diff and correction stats: how the camera compares with a setting file, and
// what its correction arrays look like.
#include <cstdio>
#include <iostream>

#include "base/checked_input.h"
#include "base/json_writer.h"
#include "base/text_file.h"
#include "base/text_scan.h"
#include "correction/correction_stats.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "ctl.h"
#include "panel/setting_diff.h"
#include "panel/setting_file.h"

namespace kestrel::ctl {

namespace {

// kOk, kFailed for a file that cannot be read, kUsage for one that cannot be
// compared.
int ReadRows(const CCamCmd& cmd, const std::string& path, std::vector<SettingRow>& rows) {
  std::string text;
  if (std::string why = ReadInputFile(path, kMaxSettingFileBytes, text); !why.empty()) {
    PrintError(path + ": " + why);
    return kFailed;
  }
  SettingRows read = ReadSettingRows(cmd, text);
  for (const std::string& p : read.problems)
    PrintError(path + ": " + p);
  rows = std::move(read.rows);
  return read.problems.empty() ? kOk : kUsage;
}

// diff FILE.cam: the file against the camera; diff A.cam B.cam: two files.
// Exit 0 when they agree, 3 when they differ, 1 when the camera could not
// give every value or a file could not be read, 2 for a file that cannot be
// compared.
int Diff(Context& ctx, const std::vector<std::string>& given) {
  const std::vector<std::string>& args = given;
  const bool json = ctx.json;
  if (args.empty() || args.size() > 2) {
    PrintError(
        "diff [--json] FILE.cam (against the camera), diff [--json] A.cam B.cam, or diff [--json] "
        "FILE.kbak");
    return kUsage;
  }
  if (args.size() == 1 && IsBackupFile(args[0])) return DiffBackup(ctx, args[0]);
  CCamCmd files(ctx.settings, ctx.ui);  // the command table, for the files
  std::vector<SettingRow> a, b;
  if (int status = ReadRows(files, args[0], a); status != kOk) return status;
  const bool twoFiles = args.size() == 2;
  if (twoFiles) {
    if (int status = ReadRows(files, args[1], b); status != kOk) return status;
  }

  std::vector<SettingDifference> differences;
  int unread = 0;
  if (twoFiles) {
    differences = DiffFiles(files, a, b);
  } else {
    if (!ctx.Connect()) return kFailed;
    const CameraValues values = ReadCameraValues(*ctx.cmd, a, ctx.timeoutMs);
    unread = values.Unread();
    differences = DiffWithCamera(*ctx.cmd, values);
  }

  const std::string first = twoFiles ? "a" : "file";
  const std::string second = twoFiles ? "b" : "camera";
  if (json) {
    JsonWriter w;
    w.BeginArray();
    for (const SettingDifference& d : differences) {
      w.BeginObject().Key("name").String(d.name).Key("caption").String(d.caption).Key(first);
      d.hasFile ? w.String(d.file) : w.Null();
      w.Key(second);
      d.hasOther ? w.String(d.other) : w.Null();
      if (!d.reason.empty()) w.Key("reason").String(d.reason);
      w.EndObject();
    }
    PrintJson(w.EndArray());
  } else {
    for (const SettingDifference& d : differences) {
      const std::string other = d.hasOther ? d.other : "(" + d.reason + ")";
      const std::string file = d.hasFile ? d.file : "(" + d.reason + ")";
      std::cout << d.name << "  " << first << "=" << file << "  " << second << "=" << other << "  "
                << d.caption << '\n';
    }
    std::cout.flush();
  }
  if (unread > 0) {
    PrintError(std::to_string(unread) + " of " + std::to_string(a.size()) +
               " parameters could not be read from the camera");
    return kFailed;
  }
  return differences.empty() ? kOk : kDiffer;
}

}  // namespace

int CorrectionStats(Context& ctx, CorrectionKind kind, int sensor, const std::string& file,
                    bool json) {
  const CorrectionKindInfo& info = InfoOf(kind);
  std::vector<int32_t> values(static_cast<size_t>(info.count));
  std::string name = "Sensor" + std::to_string(info.mnemonic2 ? sensor : 1);
  if (!file.empty()) {
    std::string text;
    if (std::string why = ReadInputFile(file, DataFileCap(info.count), text); !why.empty()) {
      PrintError(file + ": " + why);
      return kFailed;
    }
    if (std::string why = ParseDataText(text, values, info.perCommand, RowsOf(kind));
        !why.empty()) {
      PrintError(file + ": " + why);
      return kFailed;
    }
    name = "File";
  } else {
    if (!ctx.Connect()) return kFailed;
    CDataTransfer engine(*ctx.cmd);
    if (!engine.ReadCorrection(kind, values.data(), sensor)) return Outcome(ctx, false);
  }
  const std::vector<Series> series = SeriesOfArray(name, values, info.perCommand);
  JsonWriter w;
  w.BeginArray();
  for (const Series& s : series) {
    const SeriesStats st = ComputeStats(s.values);
    if (!json) {
      std::cout << s.name << ": count " << st.count << ", min " << st.minimum << ", max "
                << st.maximum << ", mean " << FixedText(st.mean, 3) << ", std dev "
                << FixedText(st.stddev, 3) << ", noise " << FixedText(st.noise, 3) << ", "
                << st.outliers.size() << " outliers\n";
      for (const Outlier& o : st.outliers)
        std::cout << "  pixel " << o.pixel << ": " << o.value << " (running median " << o.median
                  << ")\n";
      continue;
    }
    w.BeginObject().Key("series").String(s.name).Key("count").Int(st.count);
    w.Key("min").Real(st.minimum, 0).Key("max").Real(st.maximum, 0);
    w.Key("mean").Real(st.mean, 3).Key("stddev").Real(st.stddev, 3).Key("noise").Real(st.noise, 3);
    w.Key("outliers").BeginArray();
    for (const Outlier& o : st.outliers)
      w.BeginObject()
          .Key("pixel")
          .Int(o.pixel)
          .Key("value")
          .Real(o.value, 0)
          .Key("median")
          .Real(o.median, 1)
          .EndObject();
    w.EndArray().EndObject();
  }
  if (json) PrintJson(w.EndArray());
  std::cout.flush();
  return kOk;
}

namespace {

const Registrar kRegistrar{
    {"diff",
     "diff [--json] FILE.cam | diff [--json] A.cam B.cam | diff [--json] FILE.kbak\n"
     "                             compare a setting file or a backup with the camera, or two\n"
     "                             files;\n"
     "                             exit 0 equal, 3 different",
     Diff, Output::Json},
};

}  // namespace
}  // namespace kestrel::ctl
