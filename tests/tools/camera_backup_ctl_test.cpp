// kestrelctl's backup files: listed, and refused whole before the port is
// opened when damaged.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "backup/backup_manifest.h"
#include "camsim_process.h"
#include "ctl_run.h"

#if defined(KESTRELCTL_PATH)

namespace {

using kestrel::testing::Ctl;
using kestrel::testing::CtlResult;
using kestrel::testing::HasSubstr;
using kestrel::testing::Not;
using kestrel::testing::TempPath;

TEST(CameraBackupCtl, ListsABackupAndRefusesATruncatedOneWithNothingSent) {
  kestrel::BackupManifest manifest;
  manifest.model = "HX-9302";
  manifest.cameraId = "A000000001";
  const std::string archive = kestrel::PackBackup(
      manifest, {{"settings.cam", "LR=1000\r\n"}, {"lut-1.txt", "GammaData\r\n"}}, 0);
  const std::string whole = TempPath("whole.kbak"), cut = TempPath("cut.kbak");
  std::ofstream(whole, std::ios::binary) << archive;
  std::ofstream(cut, std::ios::binary) << archive.substr(0, archive.size() - 1024);
  CtlResult r = Ctl("backup --list " + whole);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("camera ID A000000001"));
  EXPECT_THAT(r.out, HasSubstr("lut-1.txt  11 bytes  sha256 "));
  // A port that does not exist: a restore or diff that got as far as
  // opening it would say so instead.
  for (const char* command : {"restore ", "diff "}) {
    r = Ctl(std::string("--port /dev/null/no-camera ") + command + cut);
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_THAT(r.err, HasSubstr("truncated")) << command;
  }
  EXPECT_THAT(r.err, Not(HasSubstr("/dev/null/no-camera")));
  std::remove(whole.c_str());
  std::remove(cut.c_str());
}

}  // namespace

#endif  // KESTRELCTL_PATH
