// The settings file over arbitrary bytes: whatever it holds, the values a run
// reads are the values it saves and the next run reads back, and a file that
// cannot be parsed is kept byte for byte as "<file>.damaged" before anything
// rewrites it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/settings.h"
#include "base/text_file.h"
#include "settings/settings_store.h"

namespace {

std::string Folder() {
  // tmpfs where there is one: the store flushes every file it writes.
  static const std::string folder = [] {
    std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
    pattern += "/kestrel-fuzz-settings-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return folder;
}

bool SameSaved(const kestrel::Settings& a, const kestrel::Settings& b) {
  return a.serialMode == b.serialMode && a.operatingMode == b.operatingMode &&
         a.dataPath == b.dataPath && a.cameraId == b.cameraId && a.commPort == b.commPort &&
         a.commDevice == b.commDevice && a.dllNo == b.dllNo &&
         a.camLinkSerialIndex == b.camLinkSerialIndex && a.baudRate == b.baudRate &&
         a.cmd == b.cmd && a.wrtMemAddr == b.wrtMemAddr && a.wrtMemData == b.wrtMemData &&
         a.dumpMemAddr == b.dumpMemAddr && a.dumpMemSize == b.dumpMemSize &&
         a.dumpFile == b.dumpFile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = Folder() + "/kestrel.ini";
  const std::string damaged = file + ".damaged";
  const std::string input(reinterpret_cast<const char*>(data), size);
  ::unlink(damaged.c_str());
  if (!kestrel::WriteFileAtomically(file, input)) std::abort();

  kestrel::Settings first;
  {
    kestrel::SettingsStore store(file);
    const bool reported = !store.DamageReport().empty();
    std::string kept;
    if (reported != kestrel::ReadWholeFile(damaged, kept)) __builtin_trap();
    if (reported && kept != input) __builtin_trap();
    store.Load(first);
    if (!store.Save(first)) __builtin_trap();
  }
  kestrel::Settings second;
  kestrel::SettingsStore again(file);
  if (!again.DamageReport().empty()) __builtin_trap();  // what it saved reads
  again.Load(second);
  if (!SameSaved(first, second)) __builtin_trap();
  return 0;
}
