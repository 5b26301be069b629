#include "correction/data_file.h"

#include <algorithm>
#include <vector>

#include "correction/data_transfer.h"
#include "protocol/cam_cmd.h"
#include "protocol/user_interface.h"
#include "util/file_messages.h"
#include "util/text_file.h"
#include "util/text_scan.h"

namespace kestrel {

int ParseDataText(std::string_view text, int32_t* values, int columns, int rows) {
  if (columns <= 0 || rows <= 0) return 0;
  const int total = columns * rows;
  std::fill(values, values + total, 0);
  size_t pos = 0;
  for (int i = 0; i < total; ++i) {
    if (!ScanDec(text, pos, values[i])) return i;
    scan::Accept(text, pos, ',');
    if (i > 0 && i % columns == 0)
      scan::SkipBlanks(text, pos);
    else
      scan::Accept(text, pos, ',');
  }
  return total;
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

int ReadDataFile(UserInterface& ui, const std::string& path, int32_t* values, int columns,
                 int rows) {
  std::string text;
  if (!ReadWholeFile(path, text)) {
    ui.MessageBox("File open error" + FileReason(path, errno), MsgIcon::Warning);
    return 0;
  }
  ParseDataText(text, values, columns, rows);
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

int LoadCorrectionFile(CDataTransfer& transfer, CorrectionKind kind, const std::string& path,
                       int sensor) {
  UserInterface& ui = transfer.Cmd().Ui();
  const CorrectionKindInfo& info = InfoOf(kind);
  std::vector<int32_t> values(static_cast<size_t>(info.count));
  if (!ReadDataFile(ui, path, values.data(), info.perCommand, RowsOf(kind))) return 0;
  if (!CheckDataRange(ui, values.data(), info.count, info.minimum, info.maximum)) return 0;
  if (!transfer.WriteCorrection(kind, values.data(), sensor)) return 0;
  ui.MessageBox(info.loadMessage, MsgIcon::Information);
  return 1;
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
