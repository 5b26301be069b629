// diff and correction stats: how the camera compares with a setting file, and
// what its correction arrays look like.
#include <cstdio>
#include <iostream>

#include "correction/correction_stats.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "ctl.h"
#include "panel/setting_diff.h"
#include "util/text_file.h"
#include "util/text_scan.h"

namespace kestrel::ctl {

namespace {

inline constexpr int kDiffer = 3;  // diff: the two sides differ

// One JSON field: a quoted string, or a literal (number, null, array) as is.
struct JsonField {
  std::string key;
  std::string value;
  bool literal = false;
};
using JsonRecord = std::vector<JsonField>;

std::string JsonQuoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// An array of records as JSON text; a literal field may hold another array.
std::string JsonRecords(const std::vector<JsonRecord>& records) {
  std::string out = "[";
  for (size_t r = 0; r < records.size(); ++r) {
    out += r ? ", {" : "{";
    for (size_t f = 0; f < records[r].size(); ++f) {
      const JsonField& field = records[r][f];
      out += (f ? ", " : "") + JsonQuoted(field.key) + ": " +
             (field.literal ? field.value : JsonQuoted(field.value));
    }
    out += "}";
  }
  return out + "]";
}

bool ReadRows(const CCamCmd& cmd, const std::string& path, std::vector<SettingRow>& rows) {
  std::string text;
  if (!ReadWholeFile(path, text)) {
    PrintError("cannot read " + path);
    return false;
  }
  SettingRows read = ReadSettingRows(cmd, text);
  for (const std::string& p : read.problems)
    PrintError(path + ": " + p);
  rows = std::move(read.rows);
  return read.problems.empty();
}

// diff FILE.cam: the file against the camera; diff A.cam B.cam: two files.
// Exit 0 when they agree, 3 when they differ, 1 when the camera could not
// give every value, 2 for a file that cannot be compared.
int Diff(Context& ctx, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  const bool json = std::erase(args, std::string("--json")) > 0;
  if (args.empty() || args.size() > 2) {
    PrintError("diff [--json] FILE.cam (against the camera) or diff [--json] A.cam B.cam");
    return kUsage;
  }
  CCamCmd files(ctx.settings, ctx.port, ctx.ui);  // the command table, for the files
  std::vector<SettingRow> a, b;
  if (!ReadRows(files, args[0], a)) return kUsage;
  const bool twoFiles = args.size() == 2;
  if (twoFiles && !ReadRows(files, args[1], b)) return kUsage;

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
    std::vector<JsonRecord> records;
    for (const SettingDifference& d : differences) {
      JsonRecord r = {{"name", d.name}, {"caption", d.caption}};
      r.push_back(d.hasFile ? JsonField{first, d.file} : JsonField{first, "null", true});
      r.push_back(d.hasOther ? JsonField{second, d.other} : JsonField{second, "null", true});
      if (!d.reason.empty()) r.push_back({"reason", d.reason});
      records.push_back(std::move(r));
    }
    std::cout << JsonRecords(records) << std::endl;
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
    if (!ReadWholeFile(file, text)) {
      PrintError("cannot read " + file);
      return kUsage;
    }
    const int got = ParseDataText(text, values.data(), info.perCommand, RowsOf(kind));
    if (got < info.count) {
      PrintError(file + " holds " + std::to_string(got) + " readable values, not " +
                 std::to_string(info.count));
      return kFailed;
    }
    name = "File";
  } else {
    if (!ctx.Connect()) return kFailed;
    CDataTransfer engine(*ctx.cmd);
    if (!engine.ReadCorrection(kind, values.data(), sensor)) return kFailed;
  }
  const std::vector<Series> series = SeriesOfArray(name, values, info.perCommand);
  std::vector<JsonRecord> records;
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
    std::vector<JsonRecord> outliers;
    for (const Outlier& o : st.outliers)
      outliers.push_back({{"pixel", std::to_string(o.pixel), true},
                          {"value", FixedText(o.value, 0), true},
                          {"median", FixedText(o.median, 1), true}});
    records.push_back({{"series", s.name},
                       {"count", std::to_string(st.count), true},
                       {"min", FixedText(st.minimum, 0), true},
                       {"max", FixedText(st.maximum, 0), true},
                       {"mean", FixedText(st.mean, 3), true},
                       {"stddev", FixedText(st.stddev, 3), true},
                       {"noise", FixedText(st.noise, 3), true},
                       {"outliers", JsonRecords(outliers), true}});
  }
  if (json) std::cout << JsonRecords(records) << '\n';
  std::cout.flush();
  return kOk;
}

namespace {

const Registrar kRegistrar{
    {"diff",
     "diff [--json] FILE.cam | diff [--json] A.cam B.cam\n"
     "                             compare a setting file with the camera, or two files;\n"
     "                             exit 0 equal, 3 different",
     Diff},
};

}  // namespace
}  // namespace kestrel::ctl
