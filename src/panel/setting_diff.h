#pragma once

#include <string>
#include <vector>

#include "protocol/cam_cmd.h"
#include "protocol/param_value.h"

namespace kestrel {

// Comparing a setting file with the camera, or with another file. Values are
// compared as a setting file writes them: numbers by value, text exactly as it
// stands (blanks and commas kept).

// One row of a setting file: the command it sets and the value it carries.
struct SettingRow {
  int line = 0;  // 1-based line of the file
  int cmdIndex = -1;
  ParamValue value;
};

// The rows of a setting file, each command once (a later line of the same
// command wins, as it does on replay), in the order of their first lines.
// Every line that names no command, is not in the set syntax or carries a
// number that is not whole is listed in `problems` ("line 3: ..."); a file
// with problems is not compared.
struct SettingRows {
  std::vector<SettingRow> rows;
  std::vector<std::string> problems;
};
SettingRows ReadSettingRows(const CCamCmd& cmd, const std::string& text);

// The command's name as a comparison shows it: the mnemonic, with the index
// in brackets for an indexed row ("CABA2[1]").
std::string RowName(const CommandTable& table, int cmdIndex);
// The parameter in words: the panel group and the row, with the sensor or
// lens where it has one ("Line Rate, Exposure: Line rate, Sensor2").
std::string SettingCaption(const CommandTable& table, int cmdIndex);
// A value as a setting file writes it, without the name.
std::string ValueText(const CCamCmd& cmd, int cmdIndex, const ParamValue& value);

// What the camera holds for each row of a file. `reasons[i]` is empty when
// row i was read, else why not (the camera's reply or the time-out).
struct CameraValues {
  std::vector<SettingRow> rows;
  std::vector<ParamValue> camera;
  std::vector<std::string> reasons;
  int Unread() const;
};
// Queries every row (timeoutMs each). After a query that got no answer the
// remaining rows are not queried: they are marked unread with that reason.
// No message box is shown; the reasons are returned.
CameraValues ReadCameraValues(CCamCmd& cmd, const std::vector<SettingRow>& rows, int timeoutMs);

// One parameter on which the two sides differ. `hasOther` is false when the
// second side has no value: a row the camera did not give (see `reason`) or
// a row the second file lacks; `hasFile` is false for a row only the second
// file has.
struct SettingDifference {
  int cmdIndex = -1;
  std::string name;
  std::string caption;
  std::string file;
  std::string other;
  bool hasFile = true;
  bool hasOther = true;
  std::string reason;
};

// Differences between the file and the camera, in file order; every unread
// row is one of them.
std::vector<SettingDifference> DiffWithCamera(const CCamCmd& cmd, const CameraValues& values);
// Differences between two files: rows of A in A's order, then rows only B has.
std::vector<SettingDifference> DiffFiles(const CCamCmd& cmd, const std::vector<SettingRow>& a,
                                         const std::vector<SettingRow>& b);

// The camera's values of every row read, as setting-file lines in file order.
std::vector<std::string> CameraValueLines(const CCamCmd& cmd, const CameraValues& values);

}  // namespace kestrel
