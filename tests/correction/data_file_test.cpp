#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "links.h"
#include "util/text_file.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

std::vector<int32_t> Parse(const std::string& text, int columns, int rows) {
  std::vector<int32_t> v(static_cast<size_t>(columns * rows), 99);
  ParseDataText(text, v.data(), columns, rows);
  return v;
}

// A fresh folder per test, removed afterwards.
struct TempDir {
  TempDir() : path(fs::temp_directory_path() / ("kestrel-corr-" + std::to_string(++serial))) {
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  static inline int serial = ::getpid() * 100;
  fs::path path;
};

TEST(DataFileTest, LayoutsThatLoadTheSameValues) {
  const std::vector<int32_t> expected = {5, -6, 7, 0};
  EXPECT_EQ(Parse("5\r\n-6\r\n7\r\n0\r\n", 1, 4), expected);
  EXPECT_EQ(Parse("5\n-6\n7\n0\n", 1, 4), expected);              // LF only
  EXPECT_EQ(Parse("5,\r\n-6,\r\n7,\r\n0,\r\n", 1, 4), expected);  // trailing commas
  EXPECT_EQ(Parse("5,-6,7,0\r\n", 1, 4), expected);               // all on one line
  EXPECT_EQ(Parse("+5 -6\t7 0", 1, 4), expected);                 // blanks separate too
  // Three columns: rows are counted by values only.
  EXPECT_EQ(Parse("1,2,3\r\n4,5,6\r\n", 3, 2), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Parse("1,2,3,4,5,6", 3, 2), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
}

TEST(DataFileTest, ShortOrMalformedFilesLeaveZerosNotStaleValues) {
  int32_t v[4] = {9, 9, 9, 9};
  EXPECT_EQ(ParseDataText("5\r\n6\r\n", v, 1, 4), 2);
  EXPECT_EQ((std::vector<int32_t>(v, v + 4)), (std::vector<int32_t>{5, 6, 0, 0}));
  EXPECT_EQ(ParseDataText("5\r\nx\r\n7\r\n", v, 1, 4), 1);
  EXPECT_EQ((std::vector<int32_t>(v, v + 4)), (std::vector<int32_t>{5, 0, 0, 0}));
  // Whatever follows the last expected value is not read.
  EXPECT_EQ(ParseDataText("1,2,3,4,garbage", v, 1, 4), 4);
}

TEST(DataFileTest, ShadingSlopeFileHas256LinesOfThreeNumbers) {
  TempDir dir;
  testing::RecordingUi ui;
  std::vector<int32_t> v(768);
  for (size_t i = 0; i < v.size(); i += 3) {
    v[i] = -12;
    v[i + 1] = 0;
    v[i + 2] = 341;
  }
  const std::string path = dir / "slope.csv";
  ASSERT_EQ(WriteDataFile(ui, path, v.data(), 3, 256), 1);
  std::string text;
  ASSERT_TRUE(ReadWholeFile(path, text));
  std::string expected;
  for (int r = 0; r < 256; ++r)
    expected += "-12,0,341\r\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1);  // no temporary left
}

TEST(DataFileTest, UnwritableOrUnreadableFileSaysSo) {
  TempDir dir;
  testing::RecordingUi ui;
  int32_t v[1] = {1};
  const std::string unwritable = dir / "missing/x.csv";
  const std::string unreadable = dir / "none.csv";
  EXPECT_EQ(WriteDataFile(ui, unwritable, v, 1, 1), 0);
  EXPECT_EQ(ReadDataFile(ui, unreadable, v, 1, 1), 0);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{
                               "File open error\n" + unwritable + "\nNo such file or directory",
                               "File open error\n" + unreadable + "\nNo such file or directory"}));
}

TEST(CorrectionFileTest, OutOfRangeValueIsRefusedBeforeAnythingIsSent) {
  TempDir dir;
  testing::SimLink sim;
  ASSERT_TRUE(sim.link.opened);
  CDataTransfer transfer(sim.link.cmd, TransferTiming{40, 60, 0, 6000});
  std::string text;
  for (int i = 0; i < 1024; ++i)
    text += (i == 5 ? "16384" : std::to_string(-i)) + "\r\n";
  ASSERT_TRUE(WriteFileAtomically(dir / "black.csv", text));
  EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / "black.csv", 1), 0);
  // The lower bound of pixel black is -16383.
  ASSERT_TRUE(WriteFileAtomically(dir / "low.csv", "0\r\n-16384\r\n"));
  EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / "low.csv", 2), 0);
  EXPECT_EQ(sim.link.ui.BoxTexts(),
            (std::vector<std::string>{"Invalid data range: index (5): value (16384)",
                                      "Invalid data range: index (1): value (-16384)"}));
  EXPECT_EQ(sim.link.ui.boxes[0].icon, MsgIcon::Warning);
  EXPECT_TRUE(sim.link.Sent().empty());
}

TEST(CorrectionFileTest, SaveWritesNoFileWhenTheCameraFailsOrIsOutOfRange) {
  TempDir dir;
  const std::string path = dir / "old.csv";
  ASSERT_TRUE(WriteFileAtomically(path, "old\r\n"));
  {
    testing::SimLink sim;
    ASSERT_TRUE(sim.link.opened);
    sim.camera.WithModel([](sim::CameraModel& m) { m.Array("PGD")[1023] = 70000; });
    CDataTransfer transfer(sim.link.cmd, TransferTiming{40, 60, 0, 6000});
    EXPECT_EQ(SaveCorrectionFile(transfer, CorrectionKind::PixelGain, path, 1), 0);
    EXPECT_EQ(sim.link.ui.BoxTexts(),
              std::vector<std::string>{"Invalid data range: index (1023): value (70000)"});
  }
  testing::PeerLink silent;
  ASSERT_TRUE(silent.link.opened);
  CDataTransfer transfer(silent.link.cmd, TransferTiming{40, 60, 0, 6000});
  EXPECT_EQ(SaveCorrectionFile(transfer, CorrectionKind::HighBlack, path, 1), 0);
  EXPECT_EQ(silent.link.ui.boxes.back().text, "Faild reading camera parameter");
  std::string text;
  ASSERT_TRUE(ReadWholeFile(path, text));
  EXPECT_EQ(text, "old\r\n");
}

}  // namespace
}  // namespace kestrel
