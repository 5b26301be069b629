#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "correction/correction_kind.h"
#include "util/file_messages.h"

namespace kestrel {

class CDataTransfer;
class UserInterface;

// Correction data files: rows of `columns` comma-separated decimal integers,
// CR LF after every row, no header. The reader is lenient: white space and
// commas both separate values, rows are counted by values only, and CR LF or
// LF line ends both work.

// Parses text into columns·rows values. The buffer is cleared first, so values
// a short or malformed text does not supply are 0. Returns how many values were
// read; reading stops at the first character that cannot start a value.
int ParseDataText(std::string_view text, int32_t* values, int columns, int rows);
std::string FormatDataText(const int32_t* values, int columns, int rows);

// "File open error" in a warning box when the file cannot be read or written.
// Writing replaces the file atomically.
int ReadDataFile(UserInterface& ui, const std::string& path, int32_t* values, int columns,
                 int rows);
int WriteDataFile(UserInterface& ui, const std::string& path, const int32_t* values, int columns,
                  int rows);

// File to camera: read the file, check the kind's range, write the array for the
// sensor, tell the user. Nothing is sent unless the whole file is in range.
int LoadCorrectionFile(CDataTransfer& transfer, CorrectionKind kind, const std::string& path,
                       int sensor);
// Camera to file: read the array, check the range, write the file, tell the
// user. No file is written unless every value arrived and is in range.
int SaveCorrectionFile(CDataTransfer& transfer, CorrectionKind kind, const std::string& path,
                       int sensor);

}  // namespace kestrel
