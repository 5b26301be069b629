// The camera's interpreter takes arbitrary bytes from its line: it must never
// crash, and whatever it answers is whole CR LF-terminated lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/command_interpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel::sim;
  static const CameraModel pristine;
  // Assigning over the same object reuses its arrays' storage: a fresh copy
  // per input would spend most of the run in the allocator.
  static CameraModel model;
  model = pristine;
  model.knobs.calibrationPolls = 1;
  CommandInterpreter interpreter(model);
  std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first byte spreads the input over two feeds and a clock jump, so
  // partial lines and the sequences' pause rule are exercised too.
  const size_t cut = size ? data[0] % (size + 1) : 0;
  std::string out = interpreter.Feed(input.substr(0, cut), 1000);
  out += interpreter.Feed(input.substr(cut), 1000 + (size ? data[size - 1] * 10u : 0));
  size_t start = 0;
  while (start < out.size()) {
    const size_t lf = out.find('\n', start);
    if (lf == std::string::npos || lf == start || out[lf - 1] != '\r') std::abort();
    if (out.find('\r', start) != lf - 1) std::abort();
    start = lf + 1;
  }
  return 0;
}
