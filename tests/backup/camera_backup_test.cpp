// A whole camera backed up and restored against the simulated camera.
#include <gtest/gtest.h>

#include <algorithm>

#include "backup/camera_backup.h"
#include "correction/links.h"
#include "correction/lut_table.h"
#include "service/sensor_memory.h"

namespace kestrel {
namespace {

using testing::SimLink;

bool Names(const std::vector<std::string>& lines, const std::string& start) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

std::vector<std::string> Diff(CCamCmd& cmd, const CheckedBackup& backup,
                              const BackupOptions& options) {
  std::vector<std::string> lines;
  EXPECT_EQ(DiffWithBackup(cmd, backup, options, lines), 1) << cmd.LastFailure().text;
  return lines;
}

// Back up; change a setting, an array and a LUT; diff names them; a restore
// puts them back and diff finds nothing. Into a camera of another ID the
// arrays go only when asked.
TEST(CameraBackup, RestorePutsBackWhatChangedAndKeepsAnotherCamerasArrays) {
  SimLink first;
  ASSERT_TRUE(first.link.opened);
  CCamCmd& cmd = first.link.cmd;
  BackupOptions options;
  options.pauseMs = 0;
  options.factory = true;  // the AFE registers and the sensor memory too
  std::string archive;
  BackupRun run;
  first.camera.WithModel([](sim::CameraModel& m) {
    m.SetInt("LR", 900);
    m.StoreArea(1);
    m.SetInt("LR", 700);
    return 0;
  });
  ASSERT_EQ(BackUpCamera(cmd, options, archive, run), 1) << cmd.LastFailure().text;
  // Reading the areas loaded them; the working settings are back.
  EXPECT_EQ(first.camera.WithModel([](sim::CameraModel& m) { return m.Int("LR"); }), 700);
  CheckedBackup backup;
  ASSERT_EQ(CheckBackup(archive, backup), "");
  EXPECT_EQ(Diff(cmd, backup, options), std::vector<std::string>{});

  CDataTransfer transfer(cmd, TransferTiming{3000, 3000, 0, 6000});
  const std::vector<int32_t> flat(1024, 5);
  LutTable ramp{};
  ramp[7] = 99;
  auto factoryWords = [&] {
    return first.camera.WithModel([](sim::CameraModel& m) {
      return std::vector<uint32_t>{m.SensorMemory(1, 0x805),
                                   static_cast<uint32_t>(m.Array("AFR")[3])};
    });
  };
  const std::vector<uint32_t> factoryBefore = factoryWords();
  first.camera.WithModel([](sim::CameraModel& m) {
    m.SetInt("LR", 1234);
    m.StoreArea(1);
    m.SetInt("LR", 1000);
    m.SetSensorMemory(1, 0x805, 0x1234);
    m.Array("AFR")[3] = 0x77;
    return 0;
  });
  ASSERT_EQ(transfer.WriteCorrection(CorrectionKind::PixelBlack, flat.data(), 1), 1);
  ASSERT_EQ(WriteLutTable(cmd, 0, ramp), 1);
  std::vector<std::string> differ = Diff(cmd, backup, options);
  EXPECT_EQ(differ.size(), 3u);
  for (const char* name : {"LR  backup=700  camera=1000", "pixel-black-1.csv: ", "lut-1.txt: "})
    EXPECT_TRUE(Names(differ, name)) << name;

  ASSERT_EQ(RestoreCamera(cmd, backup, options, run), 1) << cmd.LastFailure().text;
  EXPECT_EQ(Diff(cmd, backup, options), std::vector<std::string>{});
  EXPECT_EQ(first.camera.WithModel([](sim::CameraModel& m) { return m.AreaInt(1, "LR"); }), 900);
  EXPECT_EQ(factoryWords(), factoryBefore);

  sim::SimOptions another;
  another.cameraId = "B000000002";
  SimLink second(another);
  CCamCmd& other = second.link.cmd;
  CDataTransfer otherTransfer(other, TransferTiming{3000, 3000, 0, 6000});
  ASSERT_EQ(otherTransfer.WriteCorrection(CorrectionKind::PixelBlack, flat.data(), 1), 1);
  BackupRun into;
  ASSERT_EQ(RestoreCamera(other, backup, options, into), 1) << other.LastFailure().text;
  EXPECT_NE(into.note.find("left untouched"), std::string::npos) << into.note;
  // Nine correction arrays, the AFE registers, every block of three memories.
  EXPECT_EQ(into.skipped.size(), 9u + 1u + 3u * kSensorMemoryBlocks);
  differ = Diff(other, backup, options);
  ASSERT_EQ(differ.size(), 1u);
  EXPECT_TRUE(Names(differ, "pixel-black-1.csv: ")) << differ[0];
  options.otherCamera = true;
  ASSERT_EQ(RestoreCamera(other, backup, options, into), 1) << other.LastFailure().text;
  EXPECT_EQ(Diff(other, backup, options), std::vector<std::string>{});
}

}  // namespace
}  // namespace kestrel
