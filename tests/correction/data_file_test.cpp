#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "base/text_file.h"
#include "common/file_text.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "links.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// Long enough for an answer on a loaded machine; a silent camera costs half a
// second a line.
constexpr TransferTiming kTiming{500, 500, 0, 6000};

std::vector<int32_t> Parse(const std::string& text, int columns, int rows) {
  std::vector<int32_t> v;
  EXPECT_EQ(ParseDataText(text, v, columns, rows), "") << text;
  return v;
}

std::string Why(const std::string& text, int columns, int rows) {
  std::vector<int32_t> v;
  return ParseDataText(text, v, columns, rows);
}

using testing::TempFolder;

TEST(DataFileTest, LayoutsThatLoadTheSameValues) {
  const std::vector<int32_t> expected = {5, -6, 7, 0};
  EXPECT_EQ(Parse("5\r\n-6\r\n7\r\n0\r\n", 1, 4), expected);
  EXPECT_EQ(Parse("5\n-6\n7\n0", 1, 4), expected);                           // LF, no last line end
  EXPECT_EQ(Parse("5,\r\n-6,\r\n7,\r\n0,\r\n", 1, 4), expected);             // trailing commas
  EXPECT_EQ(Parse("\xEF\xBB\xBF+5\r\n\r\n -6 \n7\n0\n\n", 1, 4), expected);  // mark, blanks
  EXPECT_EQ(Parse("1, 2 ,3\r\n4,5,6\r\n", 3, 2), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
}

TEST(DataFileTest, AFileThatIsNotExactlyTheArrayIsRefused) {
  EXPECT_EQ(Why("", 1, 4), "the file holds 0 values where 4 are needed");
  EXPECT_EQ(Why("\xEF\xBB\xBF", 1, 4), "the file holds 0 values where 4 are needed");
  EXPECT_EQ(Why("5\r\n6\r\n7\r\n", 1, 4), "the file holds 3 values where 4 are needed");
  EXPECT_EQ(Why("1\n2\n3\n4\n5\n", 1, 4), "line 5: the file holds more than 4 values");
  // One row of two values in a one-column file would shift every value after it.
  EXPECT_EQ(Why("1,2\n3\n4\n", 1, 4), "line 1: 2 values where a line holds 1");
  EXPECT_EQ(Why("1,2,3\r\n4,5\r\n", 3, 2), "line 2: 2 values where a line holds 3");
  EXPECT_EQ(Why("5\r\nx\r\n7\r\n8\r\n", 1, 4), "line 2: \"x\" is not a number");
  EXPECT_EQ(Why("5\r\n----\r\n7\r\n8\r\n", 1, 4), "line 2: \"----\" is not a number");
  EXPECT_EQ(Why("5\r\n6 7\r\n7\r\n8\r\n", 1, 4), "line 2: \"6 7\" is not a number");
  EXPECT_EQ(Why("1\n2\n3\n4garbage\n", 1, 4), "line 4: \"4garbage\" is not a number");
  EXPECT_EQ(Why("1\n2\n3\n99999999999\n", 1, 4), "line 4: \"99999999999\" does not fit in 32 bits");
}

TEST(DataFileTest, ShadingSlopeFileHas256LinesOfThreeNumbers) {
  TempFolder dir;
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
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1);  // no temporary left
}

TEST(DataFileTest, UnwritableOrUnreadableFileSaysSo) {
  TempFolder dir;
  testing::RecordingUi ui;
  int32_t v[1] = {1};
  std::vector<int32_t> read;
  const std::string unwritable = dir / "missing/x.csv";
  EXPECT_EQ(WriteDataFile(ui, unwritable, v, 1, 1), 0);
  EXPECT_EQ(ReadDataFile(ui, dir / "none.csv", read, 1, 1), 0);
  EXPECT_EQ(ReadDataFile(ui, "/dev/zero", read, 1, 1), 0);
  EXPECT_EQ(ui.BoxTexts(),
            (std::vector<std::string>{
                "File open error\n" + unwritable + "\nNo such file or directory",
                "File open error\n" + (dir / "none.csv") + ": No such file or directory",
                "File open error\n/dev/zero: not a regular file"}));
}

TEST(CorrectionFileTest, BadFilesAreRefusedBeforeAnythingIsSent) {
  TempFolder dir;
  testing::SimLink sim;
  ASSERT_TRUE(sim.link.opened);
  CDataTransfer transfer(sim.link.cmd, kTiming);
  // Empty, a byte-order mark alone, one value short, far too large.
  std::string values1023;
  for (int i = 0; i < 1023; ++i)
    values1023 += "1\r\n";
  ASSERT_TRUE(WriteFileAtomically(dir / "empty.csv", ""));
  ASSERT_TRUE(WriteFileAtomically(dir / "bom.csv", "\xEF\xBB\xBF"));
  ASSERT_TRUE(WriteFileAtomically(dir / "short.csv", values1023));
  ASSERT_TRUE(WriteFileAtomically(dir / "huge.csv", std::string(100 * 1024 * 1024, '1')));
  for (const char* name : {"empty.csv", "bom.csv", "short.csv", "huge.csv"})
    EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / name, 1), 0);
  EXPECT_EQ(
      sim.link.ui.BoxTexts(),
      (std::vector<std::string>{
          dir / "empty.csv" + "\nthe file holds 0 values where 1024 are needed\nNothing was sent.",
          dir / "bom.csv" + "\nthe file holds 0 values where 1024 are needed\nNothing was sent.",
          dir / "short.csv" +
              "\nthe file holds 1023 values where 1024 are needed\nNothing was sent.",
          "File open error\n" + (dir / "huge.csv") + ": larger than 69632 bytes"}));
  EXPECT_TRUE(sim.link.Sent().empty());
  sim.link.ui.boxes.clear();
  std::string text;
  for (int i = 0; i < 1024; ++i)
    text += (i == 5 ? "16384" : std::to_string(-i)) + "\r\n";
  ASSERT_TRUE(WriteFileAtomically(dir / "black.csv", text));
  EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / "black.csv", 1), 0);
  // The lower bound of pixel black is -16383.
  std::string low = "0\r\n-16384\r\n";
  for (int i = 2; i < 1024; ++i)
    low += "0\r\n";
  ASSERT_TRUE(WriteFileAtomically(dir / "low.csv", low));
  EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / "low.csv", 2), 0);
  EXPECT_EQ(sim.link.ui.BoxTexts(),
            (std::vector<std::string>{"Invalid data range: index (5): value (16384)",
                                      "Invalid data range: index (1): value (-16384)"}));
  EXPECT_EQ(sim.link.ui.boxes[0].icon, MsgIcon::Warning);
  EXPECT_TRUE(sim.link.Sent().empty());
}

TEST(CorrectionFileTest, SaveWritesNoFileWhenTheCameraFailsOrIsOutOfRange) {
  TempFolder dir;
  const std::string path = dir / "old.csv";
  ASSERT_TRUE(WriteFileAtomically(path, "old\r\n"));
  {
    testing::SimLink sim;
    ASSERT_TRUE(sim.link.opened);
    sim.camera.WithModel([](sim::CameraModel& m) { m.Array("PGD")[1023] = 70000; });
    CDataTransfer transfer(sim.link.cmd, kTiming);
    EXPECT_EQ(SaveCorrectionFile(transfer, CorrectionKind::PixelGain, path, 1), 0);
    EXPECT_EQ(sim.link.ui.BoxTexts(),
              std::vector<std::string>{"Invalid data range: index (1023): value (70000)"});
  }
  testing::PeerLink silent;
  ASSERT_TRUE(silent.link.opened);
  CDataTransfer transfer(silent.link.cmd, kTiming);
  EXPECT_EQ(SaveCorrectionFile(transfer, CorrectionKind::HighBlack, path, 1), 0);
  EXPECT_EQ(silent.link.ui.boxes.back().text, "Failed reading camera parameter");
  std::string text;
  ASSERT_TRUE(ReadWholeFile(path, text));
  EXPECT_EQ(text, "old\r\n");
}

}  // namespace
}  // namespace kestrel
