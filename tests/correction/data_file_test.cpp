#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "base/text_file.h"
#include "common/file_text.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "links.h"

namespace kestrel {
namespace {

// Long enough for an answer on a loaded machine; a silent camera costs half a
// second a line.
constexpr TransferTiming kTiming{500, 500, 0, 6000};

using testing::TempFolder;

// What a file must hold: every layout below loads, every other content is
// refused with its reason.
TEST(DataFileTest, WhatAFileMustHold) {
  const std::vector<int32_t> four = {5, -6, 7, 0};
  const struct {
    std::string text;
    int columns, rows;
    std::string why;
    std::vector<int32_t> values;
  } cases[] = {
      {"5\r\n-6\r\n7\r\n0\r\n", 1, 4, "", four},
      {"5\n-6\n7\n0", 1, 4, "", four},                           // LF, no last line end
      {"5,\r\n-6,\r\n7,\r\n0,\r\n", 1, 4, "", four},             // trailing commas
      {"\xEF\xBB\xBF+5\r\n\r\n -6 \n7\n0\n\n", 1, 4, "", four},  // mark, blanks
      {"1, 2 ,3\r\n4,5,6\r\n", 3, 2, "", {1, 2, 3, 4, 5, 6}},
      {"", 1, 4, "the file holds 0 values where 4 are needed", {}},
      {"\xEF\xBB\xBF", 1, 4, "the file holds 0 values where 4 are needed", {}},
      {"5\r\n6\r\n7\r\n", 1, 4, "the file holds 3 values where 4 are needed", {}},
      {"1\n2\n3\n4\n5\n", 1, 4, "line 5: the file holds more than 4 values", {}},
      // One row of two values in a one-column file would shift every value after it.
      {"1,2\n3\n4\n", 1, 4, "line 1: 2 values where a line holds 1", {}},
      {"1,2,3\r\n4\r\n", 3, 2, "line 2: 1 value where a line holds 3", {}},
      {"5\r\n----\r\n7\r\n8\r\n", 1, 4, "line 2: \"----\" is not a number", {}},
      {"1\n2\n3\n4garbage\n", 1, 4, "line 4: \"4garbage\" is not a number", {}},
      {"1\n2\n3\n99999999999\n", 1, 4, "line 4: \"99999999999\" does not fit in 32 bits", {}},
  };
  // Written: CR LF after every row, no header.
  const int32_t six[] = {1, -2, 3, 4, 5, 6};
  EXPECT_EQ(FormatDataText(six, 3, 2), "1,-2,3\r\n4,5,6\r\n");
  for (const auto& c : cases) {
    std::vector<int32_t> values;
    EXPECT_EQ(ParseDataText(c.text, values, c.columns, c.rows), c.why) << c.text;
    if (c.why.empty()) {
      EXPECT_EQ(values, c.values) << c.text;
    }
  }
}

// The messages of the correction files, read before anything is sent.
TEST(CorrectionFileTest, BadFilesSayWhy) {
  TempFolder dir;
  std::string values1023;
  for (int i = 0; i < 1023; ++i)
    values1023 += "1\r\n";
  std::string high, low = "0\r\n-16384\r\n";  // the lower bound of pixel black is -16383
  for (int i = 0; i < 1024; ++i)
    high += (i == 5 ? "16384" : std::to_string(-i)) + "\r\n";
  for (int i = 2; i < 1024; ++i)
    low += "0\r\n";
  ASSERT_TRUE(WriteFileAtomically(dir / "short.csv", values1023));
  ASSERT_TRUE(WriteFileAtomically(dir / "huge.csv", std::string(69633, '1')));
  ASSERT_TRUE(WriteFileAtomically(dir / "high.csv", high));
  ASSERT_TRUE(WriteFileAtomically(dir / "low.csv", low));
  const struct {
    std::string path;
    FailureKind kind;
    std::string text;
  } cases[] = {
      {dir / "short.csv", FailureKind::BadInput,
       dir / "short.csv" + "\nthe file holds 1023 values where 1024 are needed\nNothing was sent."},
      {dir / "huge.csv", FailureKind::FileError,
       "File open error\n" + (dir / "huge.csv") + ": larger than 69632 bytes"},
      {dir / "none.csv", FailureKind::FileError,
       "File open error\n" + (dir / "none.csv") + ": No such file or directory"},
      {"/dev/zero", FailureKind::FileError, "File open error\n/dev/zero: not a regular file"},
      {dir / "high.csv", FailureKind::BadInput, "Invalid data range: index (5): value (16384)"},
      {dir / "low.csv", FailureKind::BadInput, "Invalid data range: index (1): value (-16384)"},
  };
  for (const auto& c : cases) {
    std::vector<int32_t> values;
    const Failure failure = ReadCorrectionFile(CorrectionKind::PixelBlack, c.path, values);
    EXPECT_EQ(failure.kind, c.kind) << c.path;
    EXPECT_EQ(failure.text, c.text);
  }
  int32_t v[1] = {1};
  const std::string unwritable = dir / "missing/x.csv";
  EXPECT_EQ(WriteDataFile(unwritable, v, 1, 1).text,
            "File open error\n" + unwritable + "\nNo such file or directory");

  // A bad file on its way to the camera: nothing is sent.
  testing::SimLink sim;
  ASSERT_TRUE(sim.link.opened);
  CDataTransfer transfer(sim.link.cmd, kTiming);
  EXPECT_EQ(LoadCorrectionFile(transfer, CorrectionKind::PixelBlack, dir / "low.csv", 2), 0);
  EXPECT_EQ(sim.link.cmd.LastFailure().kind, FailureKind::BadInput);
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
    EXPECT_EQ(sim.link.cmd.LastFailure().text, "Invalid data range: index (1023): value (70000)");
  }
  testing::PeerLink silent;
  ASSERT_TRUE(silent.link.opened);
  CDataTransfer transfer(silent.link.cmd, kTiming);
  EXPECT_EQ(SaveCorrectionFile(transfer, CorrectionKind::HighBlack, path, 1), 0);
  EXPECT_EQ(silent.link.cmd.LastFailure().kind, FailureKind::NoAnswer);
  std::string text;
  ASSERT_TRUE(ReadWholeFile(path, text));
  EXPECT_EQ(text, "old\r\n");
}

}  // namespace
}  // namespace kestrel
