#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <vector>

#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "util/text_file.h"
#include "fake_camera.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

std::vector<int32_t> Parse(const std::string& text, int columns, int rows) {
  std::vector<int32_t> v(static_cast<size_t>(columns * rows), 99);
  ParseDataText(text, v.data(), columns, rows);
  return v;
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kestrel-corr-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  size_t Entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(path_), {}));
  }

 private:
  fs::path path_;
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
  EXPECT_EQ(dir.Entries(), 1u);  // no temporary file left behind
}

TEST(DataFileTest, UnwritableOrUnreadableFileSaysSo) {
  TempDir dir;
  testing::RecordingUi ui;
  int32_t v[1] = {1};
  EXPECT_EQ(WriteDataFile(ui, dir / "missing/x.csv", v, 1, 1), 0);
  EXPECT_EQ(ReadDataFile(ui, dir / "none.csv", v, 1, 1), 0);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{"File open error", "File open error"}));
}

TEST(DataFileTest, OverwriteQuestionAndFolder) {
  TempDir dir;
  testing::RecordingUi ui;
  const std::string path = dir / "a.csv";
  EXPECT_TRUE(ConfirmOverwrite(ui, path));  // no file, no question
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_TRUE(WriteFileAtomically(path, "1\r\n"));
  ui.answers = {MsgAnswer::No};
  EXPECT_FALSE(ConfirmOverwrite(ui, path));
  EXPECT_EQ(ui.boxes[0].text, path + "\nThis file already exists.\nReplace existing file?");
  EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(FolderOf("/data/cam/black.csv"), "/data/cam");
  EXPECT_EQ(FolderOf("black.csv"), "");
}

class CorrectionFileTest : public ::testing::Test, public testing::CameraFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(opened); }
  CDataTransfer transfer{cmd, TransferTiming{40, 60, 0, 6000}};
  TempDir dir;
};

TEST_F(CorrectionFileTest, OutOfRangeValueIsRefusedBeforeAnythingIsSent) {
  std::string text;
  for (int i = 0; i < 1024; ++i)
    text += (i == 5 ? "16384" : std::to_string(-i)) + "\r\n";
  ASSERT_TRUE(WriteFileAtomically(dir / "black.csv", text));
  EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / "black.csv", 1), 0);
  EXPECT_EQ(ui.BoxTexts(),
            std::vector<std::string>{"Invalid data range: index (5): value (16384)"});
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Warning);
  EXPECT_EQ(camera.Peer().Bytes(), "");

  // The lower bound of pixel black is -16383.
  text = "0\r\n-16384\r\n";
  ASSERT_TRUE(WriteFileAtomically(dir / "low.csv", text));
  EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / "low.csv", 2), 0);
  EXPECT_EQ(ui.boxes.back().text, "Invalid data range: index (1): value (-16384)");
  EXPECT_EQ(camera.Peer().Bytes(), "");
}

TEST_F(CorrectionFileTest, LoadSendsTheFileAndSaveWritesTheCamerasArray) {
  std::vector<int32_t> v(1024);
  std::iota(v.begin(), v.end(), 0);
  ASSERT_EQ(WriteDataFile(ui, dir / "gain.csv", v.data(), 1, 1024), 1);
  ASSERT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelGain, dir / "gain.csv", 2), 1);
  EXPECT_EQ(camera.Array("PGD2"), std::vector<int>(v.begin(), v.end()));
  ASSERT_EQ(SaveCorrectionFile(transfer, CorrectionKind::PixelGain, dir / "back.csv", 2), 1);
  std::string a, b;
  ASSERT_TRUE(ReadWholeFile(dir / "gain.csv", a));
  ASSERT_TRUE(ReadWholeFile(dir / "back.csv", b));
  EXPECT_EQ(a, b);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{"Succeeded in loading low pixel gain",
                                                     "Succeeded in saving pixel gain"}));
}

TEST_F(CorrectionFileTest, SaveWritesNoFileWhenTheCameraFailsOrIsOutOfRange) {
  const std::string path = dir / "old.csv";
  ASSERT_TRUE(WriteFileAtomically(path, "old\r\n"));
  camera.SetArray("PGD", std::vector<int>(1024, 70000));
  EXPECT_EQ(SaveCorrectionFile(transfer, CorrectionKind::PixelGain, path, 1), 0);
  EXPECT_EQ(ui.boxes.back().text, "Invalid data range: index (0): value (70000)");
  camera.Peer().SetHandler([](const std::string&) { return std::string(); });
  EXPECT_EQ(SaveCorrectionFile(transfer, CorrectionKind::HighBlack, path, 1), 0);
  EXPECT_EQ(ui.boxes.back().text, "Faild reading camera parameter");
  std::string text;
  ASSERT_TRUE(ReadWholeFile(path, text));
  EXPECT_EQ(text, "old\r\n");
}

}  // namespace
}  // namespace kestrel
