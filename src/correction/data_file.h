#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_messages.h"
#include "correction/correction_kind.h"

namespace kestrel {

class CDataTransfer;

// Correction data files: rows of `columns` comma-separated decimal integers,
// CR LF after every row, no header. The reader takes LF or CR LF, blank
// lines, blanks around the commas and a trailing comma, and nothing else:
// every line must hold `columns` numbers and the file exactly columns·rows.

// Parses text into columns·rows values; "" when the text holds exactly that,
// else why not ("line 3: \"----\" is not a number").
std::string ParseDataText(std::string_view text, std::vector<int32_t>& values, int columns,
                          int rows);
std::string FormatDataText(const int32_t* values, int columns, int rows);

// Reads and checks a whole file before anything is sent: "File open error"
// with the reason when it cannot be read (not a regular file, too large), the
// path and the reason when its content is not columns·rows numbers. Writing
// replaces the file atomically. No failure when all went well.
Failure ReadDataFile(const std::string& path, std::vector<int32_t>& values, int columns, int rows);
Failure WriteDataFile(const std::string& path, const int32_t* values, int columns, int rows);

// Reads and checks a correction file of a kind: its count of numbers and the
// kind's range ("Invalid data range: index (%d): value (%d)").
Failure ReadCorrectionFile(CorrectionKind kind, const std::string& path,
                           std::vector<int32_t>& values);
// File to camera: ReadCorrectionFile, then the transfer. Nothing is sent
// unless the whole file is good. 1 on success (the caller then tells the
// user the kind's loadMessage); else 0 and the command object's LastFailure.
[[nodiscard]] int LoadCorrectionFile(CDataTransfer& transfer, CorrectionKind kind,
                                     const std::string& path, int sensor);
// Camera to file: read the array, check the range, write the file. No file
// is written unless every value arrived and is in range. 1 on success (the
// caller then tells the user the kind's saveMessage); else 0 and the command
// object's LastFailure.
[[nodiscard]] int SaveCorrectionFile(CDataTransfer& transfer, CorrectionKind kind,
                                     const std::string& path, int sensor);

}  // namespace kestrel
