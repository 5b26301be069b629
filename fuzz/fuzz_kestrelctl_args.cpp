// kestrelctl's command line over arbitrary arguments: it never crashes, exits
// 0, 1 or 2, and a usage error (2) is found before any link is set up, so
// nothing is ever sent for a command line that was refused.
//
// The input is split at NUL bytes into up to 12 arguments. Arguments naming a
// path ("/") are skipped: the run stays inside an empty scratch folder, where
// every port and file name is missing, so a command that passes its checks
// fails at once on the port instead of reaching a device.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "ctl.h"

namespace {

struct Discard : std::streambuf {
  int overflow(int c) override { return c; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string folder = "/tmp/kestrel-fuzz-ctl-XXXXXX";
  if (!::mkdtemp(folder.data()) || ::chdir(folder.c_str()) != 0) std::abort();
  ::setenv("KESTREL_CONFIG", (folder + "/kestrel.ini").c_str(), 1);
  ::setenv("CLSERIALPATH", folder.c_str(), 1);
  // The commands report on the standard streams; the fuzzer's own output
  // goes to stderr through stdio, which stays open.
  static Discard discard;
  std::cout.rdbuf(&discard);
  std::cerr.rdbuf(&discard);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      if (args.size() == 12) break;
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  for (const std::string& a : args)
    if (a.find('/') != std::string::npos) return 0;

  kestrel::ctl::Context ctx;
  ctx.settings.commDevice = "no-such-port";  // never COM1's /dev/ttyS0
  ctx.timeoutMs = 10;
  ctx.listenMs = 0;
  const int status = kestrel::ctl::RunCommandLine(ctx, args);
  if (status < 0 || status > 2) __builtin_trap();
  if (status == kestrel::ctl::kUsage && ctx.linksPrepared != 0) __builtin_trap();
  return 0;
}
