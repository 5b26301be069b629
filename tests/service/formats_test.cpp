// The formats beneath the service tools: lines on the wire, reply parsing and
// file rows, without a camera.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_scan.h"
#include "link/rs_port.h"
#include "service/about_info.h"
#include "service/afe_register.h"
#include "service/camera_id.h"
#include "service/dac_write.h"
#include "service/memory_dump.h"
#include "service/sensor_memory.h"
#include "service/temperature_monitor.h"
#include "service/terminal_routines.h"

namespace kestrel {
namespace {

std::string Repeat(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += line;
  return text;
}

TEST(AfeTest, SelectorGivesChipMaskAndChannel) {
  struct Case {
    int index, mask, channel;
  };
  for (Case c : {Case{0, 1, 1}, Case{1, 1, 2}, Case{2, 2, 1}, Case{3, 2, 2}, Case{15, 128, 2},
                 Case{16, 0x0F, 3}, Case{17, 0xF0, 3}, Case{18, 0xFF, 3}, Case{-1, 0xFF, 3},
                 Case{99, 0xFF, 3}}) {
    AfeTarget t = AfeSelectorTarget(c.index);
    EXPECT_EQ(t.chipMask, c.mask) << c.index;
    EXPECT_EQ(t.channel, c.channel) << c.index;
  }
}

TEST(AfeTest, RegisterFilesLoadWholeOrNotAtAll) {
  std::vector<std::string> lines;
  EXPECT_EQ(RegisterFileCommands("0x1F,0x20,0x3\r\n0x0, 0x1 ,0X2\n\n", lines), "");
  EXPECT_EQ(lines, (std::vector<std::string>{"AFR=0,1F", "AFG=0,20", "AFB=0,3", "AFR=1,0",
                                             "AFG=1,1", "AFB=1,2"}));
  const std::pair<std::string, std::string> refused[] = {
      {"0x1,0x2,0x3\n0xA,----,0xC\n",
       "line 2: \"----\" is not a \"0x\" hexadecimal number for AFG"},
      {"Register table of camera 7\n", "line 1: a row holds three values, R, G and B"},
      {"0x1,0x2\n", "line 1: a row holds three values, R, G and B"},
      {"0x1,0x2,3\n", "line 1: \"3\" is not a \"0x\" hexadecimal number for AFB"},
      {"0x1,0x100000000,0x3\n",
       "line 1: \"0x100000000\" has more than 8 hexadecimal digits for AFG"},
      {Repeat("0x1,0x2,0x3\n", 129), "the file holds 129 rows where the table has 128"},
      {"\r\n", "the file holds no rows"},
  };
  for (const auto& [text, why] : refused) {
    EXPECT_EQ(RegisterFileCommands(text, lines), why);
    EXPECT_TRUE(lines.empty()) << why;
  }
}

TEST(AfeTest, RegisterRepliesReadWholeFourDigitsExceptRed) {
  struct Case {
    const char* reply;
    const char* stem;
    bool ok;
    uint32_t value;
  };
  for (Case c : {Case{"AFR=12345", "AFR", true, 0x12345}, Case{"AFG=12345", "AFG", false, 0},
                 Case{"AFG=12", "AFB", false, 0}, Case{"", "AFR", false, 0},
                 Case{"AFR=", "AFR", false, 0}}) {
    uint32_t v = 0;
    EXPECT_EQ(ParseAfeReply(c.reply, c.stem, v), c.ok) << c.reply;
    EXPECT_EQ(v, c.ok ? c.value : 0u) << c.reply;
  }
}

TEST(SensorMemoryTest, FilesLoadInWholeGroupsWithinTheBlock) {
  std::string text;
  for (int i = 1; i <= 16; ++i)
    text += "0x" + ToHex(static_cast<uint32_t>(i)) + "\n";
  std::vector<std::string> lines;
  EXPECT_EQ(SensorMemoryCommands(text, "AMR", SensorMemoryBase(5), lines), "");
  EXPECT_EQ(lines,
            (std::vector<std::string>{"AMR=2800,1,2,3,4,5,6,7,8", "AMR=2808,9,A,B,C,D,E,F,10"}));
  std::string gap = text, wide = text;
  gap.replace(gap.find("0x3\n"), 3, "----");
  wide.replace(0, 3, "0x1FFFFFFFF");
  const std::pair<std::string, std::string> refused[] = {
      {text + "0x11\n", "the file holds 17 words, not a whole number of 8-word groups"},
      {gap, "line 3: \"----\" is not a \"0x\" hexadecimal number"},
      {"Once upon a time\n" + Repeat("1\n", 7),
       "line 1: \"Once upon a time\" is not a \"0x\" hexadecimal number"},
      {wide, "line 1: \"0x1FFFFFFFF\" has more than 8 hexadecimal digits"},
      {Repeat("0x0\n", kSensorMemoryBlockWords + 8),
       "the file holds 2056 words where a block holds 2048"},
      {"", "the file holds no words"},
  };
  for (const auto& [file, why] : refused)
    EXPECT_EQ(SensorMemoryCommands(file, "AMM", 0, lines), why);
}

TEST(DumpTest, RepliesGiveTheirWord) {
  for (auto [reply, value] : {std::pair{"DMW=&H260004, &H3FF", 0x3FFu},
                              {"DMW &H1, &H3FF", 0u},    // no equals sign
                              {"DMW=&H1", 0u},           // no comma
                              {"DMW=&H1, 3FF", 0u},      // no &H
                              {"DMW=&H1,&H3\tFF", 3u}})  // stops at the tab
    EXPECT_EQ(DumpSplitValue(SplitDumpReply(reply)), value) << reply;
  DumpWord w;
  ASSERT_TRUE(ParseDumpReply("DMW=&Hfffffffe,&H80000000", w));  // the blank is optional
  EXPECT_EQ(DumpRecord(7, &w), "7,&HFFFFFFFE,&H80000000,2147483648");
  EXPECT_FALSE(ParseDumpReply("DMW=&H260000", w));
  EXPECT_FALSE(ParseDumpReply("COMPLETE", w));
}

TEST(TerminalRoutineTest, CorrectionTextIsExactly2048Pixels) {
  const std::string text = "1\t2\t3\n-4 5  6\r\n" + Repeat("1\t1\t1\n", kTerminalPixels - 2);
  ColourTables t;
  EXPECT_EQ(ParseCorrectionText(text + "\n", t), "");
  EXPECT_EQ(t[2][0], 3);
  EXPECT_EQ(t[0][1], -4);
  EXPECT_EQ(t[2][1], 6);
  EXPECT_EQ(t[1][2047], 1);
  auto replaced = [&text](size_t at, size_t n, const char* with) {
    return std::string(text).replace(at, n, with);
  };
  const std::pair<std::string, std::string> refused[] = {
      {text + "1\t1\t1\n", "the file holds 2049 lines where 2048 pixels are needed"},
      {"1\t2\t3\n", "the file holds 1 lines where 2048 pixels are needed"},
      {replaced(text.find("-4 5"), 4, "-4 x"), "line 2: \"x\" is not a number for G"},
      {replaced(0, 5, "1\t2\t"), "line 1: a line holds three values, R, G and B"},
      {replaced(0, 1, "1\t2\t3\t4"), "line 1: a line holds three values, R, G and B"},
  };
  for (const auto& [file, why] : refused)
    EXPECT_EQ(ParseCorrectionText(file, t), why);
}

TEST(ShownValuesTest, TemperaturesInSixteenthsAndVersionDigits) {
  for (auto [raw, text] : {std::pair{0, "0.0"}, {-8, "-0.5"}, {-440, "-27.5"}, {1, "0.1"}})
    EXPECT_EQ(FormatTemperature(raw), text) << raw;
  for (auto [word, text] : {std::pair{7, "  0.0.0.7"}, {10203, "  10.2.0.3"}})
    EXPECT_EQ(FormatVersion(word), text) << word;
}

TEST(DacTest, BlackOffsetPartners) {
  for (auto [mnemonic, partner] : {std::pair{"B1O4F", "B1O5F"},
                                   {"B1O5F", "B1O4F"},
                                   {"B2O15F", "B2O14F"},
                                   {"B2O0F", "B2O1F"},
                                   {"B1OT1F", ""},
                                   {"B3O1F", ""},
                                   {"B1O16F", ""}})
    EXPECT_EQ(BlackOffsetPartner(mnemonic), partner) << mnemonic;
  EXPECT_TRUE(BlackOffsetRowEditable(14));
  EXPECT_FALSE(BlackOffsetRowEditable(15));
}

TEST(CameraIdTest, BoxesFromTheSettingAndBack) {
  Settings s;
  s.cameraId = "B12345678";  // nine characters
  CameraIdBoxes boxes = InitCameraIdBoxes(s);
  EXPECT_EQ(s.cameraId, "A000000000");
  EXPECT_EQ(boxes[0], "A");
  s.cameraId = "X123456789";
  boxes = InitCameraIdBoxes(s);
  EXPECT_EQ(boxes[9], "9");
  boxes[4].clear();
  boxes[5] = "QZ";
  EXPECT_EQ(CameraIdFromBoxes(boxes), "X123Q6789");
}

}  // namespace
}  // namespace kestrel
