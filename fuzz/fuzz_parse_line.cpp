// ParseLine in both modes over arbitrary bytes: resolution, splitting and the
// number conversions must hold for any line a camera or a file can deliver.
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kestrel::Settings settings;
  static kestrel::UserInterface ui;
  static kestrel::CCamCmd cmd(settings, ui);
  const std::string line(reinterpret_cast<const char*>(data), size);
  for (int mode = 0; mode < 2; ++mode) {
    kestrel::ParsedLine r;
    int ok = cmd.ParseLine(line, r, mode);
    if (ok != (r.error == 0)) __builtin_trap();
    if (ok) {
      if (!kestrel::CommandTable::Valid(r.cmdIndex)) __builtin_trap();
      if (cmd.Table()[r.cmdIndex].mnemonic != r.name) __builtin_trap();
      // A resolved line formats back without trouble.
      kestrel::ParamValue v{r.type, r.intValue, r.textValue};
      (void)cmd.FormatSet(r.cmdIndex, v, true);
    }
  }
  return 0;
}
