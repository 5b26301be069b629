#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kestrel {

// Value types of a command.
enum ValueType : int { kTypeInteger = 0, kTypeText = 2 };

// One row of the camera's command vocabulary.
struct CommandEntry {
  std::string mnemonic;
  int indexed = 0;        // 1: written NAME=INDEX,VALUE and queried NAME?INDEX
  int index = 0;          // the INDEX written for an indexed row
  int valueType = 0;      // ValueType
  int indexSpecific = 0;  // 1: matches a name lookup only with its own index number
};

// The 301 camera commands. Everything addresses a command by its row index.
class CommandTable {
 public:
  static constexpr int kRows = 301;

  CommandTable();

  const CommandEntry& operator[](int row) const { return rows_[static_cast<size_t>(row)]; }
  CommandEntry& operator[](int row) { return rows_[static_cast<size_t>(row)]; }
  static constexpr int size() { return kRows; }
  static constexpr bool Valid(int row) { return row >= 0 && row < kRows; }

  // First row whose mnemonic equals name exactly (case-sensitive), or -1.
  int Find(std::string_view name) const;

 private:
  std::array<CommandEntry, kRows> rows_;
};

// Row indices that code uses by name.
namespace cmd {
inline constexpr int EB = 0, VN = 3, PV = 4, PVFE = 5, ID = 6, MD = 7, UD = 8;
inline constexpr int CAB2 = 40, CABL2 = 44, CABA2 = 47, CABS2 = 50, CABT2 = 53;
inline constexpr int LUTD1 = 97, LUTD2 = 98, LD = 101, SA = 102, EA = 103, SA00 = 104;
inline constexpr int ULCK = 105, TMP0 = 108, TMP02 = 109, CLID = 128, DACAW = 129, DACBW = 130;
inline constexpr int FPGAWR = 187, FPGARD = 188, DACACW = 189, CBDRT = 213, ACC1S = 214,
                     ACC2S = 215, AFEW = 216;
inline constexpr int AFM = 291, SNOF = 299, STOF = 300;
}  // namespace cmd

}  // namespace kestrel
