#include "correction/data_file.h"

#include <climits>
#include <vector>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
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

Failure ReadDataFile(const std::string& path, std::vector<int32_t>& values, int columns, int rows) {
  std::string text;
  if (std::string why = ReadInputFile(path, DataFileCap(columns * rows), text); !why.empty())
    return Failure(FailureKind::FileError, "File open error\n" + path + ": " + why);
  if (std::string why = ParseDataText(text, values, columns, rows); !why.empty())
    return Failure(FailureKind::BadInput, path + "\n" + why + "\nNothing was sent.");
  return {};
}

Failure WriteDataFile(const std::string& path, const int32_t* values, int columns, int rows) {
  if (!WriteFileAtomically(path, FormatDataText(values, columns, rows)))
    return Failure(FailureKind::FileError, "File open error" + FileReason(path, errno));
  return {};
}

Failure ReadCorrectionFile(CorrectionKind kind, const std::string& path,
                           std::vector<int32_t>& values) {
  const CorrectionKindInfo& info = InfoOf(kind);
  if (Failure failure = ReadDataFile(path, values, info.perCommand, RowsOf(kind))) return failure;
  return CheckDataRange(values.data(), info.count, info.minimum, info.maximum);
}

int LoadCorrectionFile(CDataTransfer& transfer, CorrectionKind kind, const std::string& path,
                       int sensor) {
  std::vector<int32_t> values;
  if (Failure failure = ReadCorrectionFile(kind, path, values))
    return transfer.Cmd().Fail(std::move(failure));
  return transfer.WriteCorrection(kind, values.data(), sensor);
}

int SaveCorrectionFile(CDataTransfer& transfer, CorrectionKind kind, const std::string& path,
                       int sensor) {
  CCamCmd& cmd = transfer.Cmd();
  const CorrectionKindInfo& info = InfoOf(kind);
  std::vector<int32_t> values(static_cast<size_t>(info.count));
  if (!transfer.ReadCorrection(kind, values.data(), sensor)) return 0;
  if (Failure failure = CheckDataRange(values.data(), info.count, info.minimum, info.maximum))
    return cmd.Fail(std::move(failure));
  if (Failure failure = WriteDataFile(path, values.data(), info.perCommand, RowsOf(kind)))
    return cmd.Fail(std::move(failure));
  return 1;
}

}  // namespace kestrel
