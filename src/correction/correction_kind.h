#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// The per-pixel correction arrays the camera keeps. Each kind has one array
// per sensor (or one in all when the camera has no sensor-2 command for it).
enum class CorrectionKind : int {
  PixelBlack = 0,  // the "low black": dark signal per pixel
  HighBlack,       // sensor 1 only
  PixelGain,       // the "low pixel gain": PRNU
  HighPixelGain,   // sensor 1 only
  ShadingOffset,
  ShadingSlope,  // sensor 1 only, three values per command
};

inline constexpr int kCorrectionKindCount = 6;
// The largest array of any kind; callers size their buffers with it.
inline constexpr int kMaxCorrectionValues = 1024;

struct CorrectionKindInfo {
  CorrectionKind kind;
  const char* name;       // kestrelctl's name for the kind
  const char* mnemonic1;  // data command for sensor 1
  const char* mnemonic2;  // data command for sensor 2, nullptr when the kind has one array
  int count;              // values in the array
  int perCommand;         // values carried by one command or reply (= file columns)
  int32_t minimum;        // inclusive range of every value
  int32_t maximum;
  const char* loadMessage;  // information box after a file was sent to the camera
  const char* saveMessage;  // information box after the camera's array was saved
  const char* fileFilter;   // the file dialog's filter text
};

const CorrectionKindInfo& InfoOf(CorrectionKind kind);

// The kind's data command for a sensor: 1 selects sensor 1, any other number
// sensor 2. Kinds with a single array ignore the sensor number.
const char* MnemonicOf(CorrectionKind kind, int sensor);

inline int RowsOf(CorrectionKind kind) {
  return InfoOf(kind).count / InfoOf(kind).perCommand;
}

// Accepts kestrelctl's names ("pixel-black", ...) and the sensor-1 data mnemonics
// ("PBD", ...). Returns false for anything else.
bool ParseCorrectionKind(std::string_view text, CorrectionKind& out);

}  // namespace kestrel
