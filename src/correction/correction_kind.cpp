#include "correction/correction_kind.h"

#include <array>

namespace kestrel {

namespace {

constexpr std::array<CorrectionKindInfo, kCorrectionKindCount> kKinds{{
    {CorrectionKind::PixelBlack, "pixel-black", "PBD", "PBD2", 1024, 1, -16383, 16383,
     "Succeeded in loading low black", "Succeeded in saving Pixel black",
     "Black Data (*.csv) | *.csv"},
    {CorrectionKind::HighBlack, "high-black", "DNH", nullptr, 1024, 1, -16383, 16383,
     "Succeeded in loading high black", "Succeeded in saving high black",
     "Black Data (*.csv) | *.csv"},
    {CorrectionKind::PixelGain, "pixel-gain", "PGD", "PGD2", 1024, 1, 0, 65535,
     "Succeeded in loading low pixel gain", "Succeeded in saving pixel gain",
     "Pixel Gain Data (*.csv) | *.csv"},
    // The high pixel gain load has no wording of its own; this one follows its
    // siblings.
    {CorrectionKind::HighPixelGain, "high-gain", "PNH", nullptr, 1024, 1, 0, 65535,
     "Succeeded in loading high pixel gain", "Succeeded in saving high pixel gain",
     "Pixel Gain Data (*.csv) | *.csv"},
    {CorrectionKind::ShadingOffset, "shading-offset", "SDD", "SDD2", 1024, 1, 0, 65535,
     "Succeeded in loading Shading Offset", "Succeeded in saving Shading Offset",
     "Shading Offset Data (*.csv) | *.csv"},
    {CorrectionKind::ShadingSlope, "shading-slope", "SDDS", nullptr, 768, 3, -32768, 32767,
     "Succeeded in loading Shading Slope", "Succeeded in saving Shading Slope",
     "Shading Slope Data (*.csv) | *.csv"},
}};

}  // namespace

const CorrectionKindInfo& InfoOf(CorrectionKind kind) {
  return kKinds[static_cast<size_t>(kind)];
}

const char* MnemonicOf(CorrectionKind kind, int sensor) {
  const CorrectionKindInfo& info = InfoOf(kind);
  return sensor == 1 || info.mnemonic2 == nullptr ? info.mnemonic1 : info.mnemonic2;
}

bool ParseCorrectionKind(std::string_view text, CorrectionKind& out) {
  for (const CorrectionKindInfo& info : kKinds) {
    if (text == info.name || text == info.mnemonic1) {
      out = info.kind;
      return true;
    }
  }
  return false;
}

}  // namespace kestrel
