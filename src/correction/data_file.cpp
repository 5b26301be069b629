#include "correction/data_file.h"

#include <climits>
#include <vector>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "base/user_interface.h"
#include "correction/data_transfer.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

std::string ParseDataText(std::string_view text, std::vector<int32_t>& values, int columns,
                          int rows) {
  return ParseValueRows(InputLines(text), 0, columns, columns * rows, INT32_MIN, INT32_MAX, values);
}

std::string FormatDataText(const int32_t* values, int columns, int rows) {
  std::string text;
  text.reserve(static_cast<size_t>(columns * rows) * 8);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      if (c > 0) text += ',';
      text += std::to_string(values[r * columns + c]);
    }
    text += "\r\n";
  }
  return text;
}

int ReadDataFile(UserInterface& ui, const std::string& path, std::vector<int32_t>& values,
                 int columns, int rows) {
  std::string text;
  if (std::string why = ReadInputFile(path, DataFileCap(columns * rows), text); !why.empty()) {
    ui.MessageBox("File open error\n" + path + ": " + why, MsgIcon::Warning);
    return 0;
  }
  if (std::string why = ParseDataText(text, values, columns, rows); !why.empty()) {
    ui.MessageBox(path + "\n" + why + "\nNothing was sent.", MsgIcon::Warning);
    return 0;
  }
  return 1;
}

int WriteDataFile(UserInterface& ui, const std::string& path, const int32_t* values, int columns,
                  int rows) {
  if (!WriteFileAtomically(path, FormatDataText(values, columns, rows))) {
    ui.MessageBox("File open error" + FileReason(path, errno), MsgIcon::Warning);
    return 0;
  }
  return 1;
}

int ReadCorrectionFile(UserInterface& ui, CorrectionKind kind, const std::string& path,
                       std::vector<int32_t>& values) {
  const CorrectionKindInfo& info = InfoOf(kind);
  return ReadDataFile(ui, path, values, info.perCommand, RowsOf(kind)) &&
                 CheckDataRange(ui, values.data(), info.count, info.minimum, info.maximum)
             ? 1
             : 0;
}

int LoadCorrectionValues(CDataTransfer& transfer, CorrectionKind kind,
                         const std::vector<int32_t>& values, int sensor) {
  if (!transfer.WriteCorrection(kind, values.data(), sensor)) return 0;
  transfer.Cmd().Ui().MessageBox(InfoOf(kind).loadMessage, MsgIcon::Information);
  return 1;
}

int LoadCorrectionFile(CDataTransfer& transfer, CorrectionKind kind, const std::string& path,
                       int sensor) {
  std::vector<int32_t> values;
  return ReadCorrectionFile(transfer.Cmd().Ui(), kind, path, values) &&
                 LoadCorrectionValues(transfer, kind, values, sensor)
             ? 1
             : 0;
}

int SaveCorrectionFile(CDataTransfer& transfer, CorrectionKind kind, const std::string& path,
                       int sensor) {
  UserInterface& ui = transfer.Cmd().Ui();
  const CorrectionKindInfo& info = InfoOf(kind);
  std::vector<int32_t> values(static_cast<size_t>(info.count));
  if (!transfer.ReadCorrection(kind, values.data(), sensor)) return 0;
  if (!CheckDataRange(ui, values.data(), info.count, info.minimum, info.maximum)) return 0;
  if (!WriteDataFile(ui, path, values.data(), info.perCommand, RowsOf(kind))) return 0;
  ui.MessageBox(info.saveMessage, MsgIcon::Information);
  return 1;
}

}  // namespace kestrel
