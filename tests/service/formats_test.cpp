// The formats beneath the service tools: lines on the wire, reply parsing and
// file rows, without a camera.
#include <gtest/gtest.h>

#include <cstdio>
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

TEST(AfeTest, SelectorGivesChipMaskAndChannel) {
  const auto& items = AfeSelectorItems();
  EXPECT_EQ(items[0], "Tap1");
  EXPECT_EQ(items[3], "Tqp4");
  EXPECT_EQ(items[15], "Tap16");
  EXPECT_EQ(items[18], "ALL");
  struct Case {
    int index, mask, channel;
  };
  for (Case c : {Case{0, 1, 1}, Case{1, 1, 2}, Case{2, 2, 1}, Case{3, 2, 2}, Case{14, 128, 1},
                 Case{15, 128, 2}, Case{16, 0x0F, 3}, Case{17, 0xF0, 3}, Case{18, 0xFF, 3},
                 Case{-1, 0xFF, 3}, Case{99, 0xFF, 3}}) {
    AfeTarget t = AfeSelectorTarget(c.index);
    EXPECT_EQ(t.chipMask, c.mask) << c.index;
    EXPECT_EQ(t.channel, c.channel) << c.index;
  }
}

TEST(AfeTest, AddressListRunsFrom40ToE4WithItsNames) {
  const auto& items = AfeAddressItems();
  for (const char* item :
       {"0x40 STANDBYA", "0x47 CDSGAIN", "0x4A CLAMPLEVEL", "0x90 SHDLOC", "0x95 SHDTEST ",
        "0xBD SYNC_ALIGN", "0xCF Not_used", "0xD0 AFE_UPDT_SCK", "0xE4 SCK"})
    EXPECT_EQ(items[std::stoul(item, nullptr, 16) - 0x40], item);
}

TEST(AfeTest, WriteValueSendsTheDataAsTyped) {
  EXPECT_EQ(AfeWriteValue(2, 0x47 - 0x40, "12"), "2, 71, 12, 1\r\n");
  EXPECT_EQ(AfeWriteValue(18, 0xE4 - 0x40, "FF"), "255, 228, FF, 3\r\n");
  EXPECT_EQ(AfeWriteValue(17, 0, " x "), "240, 64,  x , 3\r\n");
}

TEST(AfeTest, RegisterFilesLoadWholeOrNotAtAll) {
  std::vector<std::string> lines;
  EXPECT_EQ(RegisterFileCommands("0x1F,0x20,0x3\r\n0x0, 0x1 ,0X2\n\n", lines), "");
  EXPECT_EQ(lines, (std::vector<std::string>{"AFR=0,1F", "AFG=0,20", "AFB=0,3", "AFR=1,0",
                                             "AFG=1,1", "AFB=1,2"}));
  // A gap, prose, a missing field, a number without "0x", more than 32 bits,
  // too many rows, nothing at all: refused with the line, nothing to send.
  EXPECT_EQ(RegisterFileCommands("0x1,0x2,0x3\n0xA,----,0xC\n", lines),
            "line 2: \"----\" is not a \"0x\" hexadecimal number for AFG");
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(RegisterFileCommands("Register table of camera 7\n", lines),
            "line 1: a row holds three values, R, G and B");
  EXPECT_EQ(RegisterFileCommands("0x1,0x2\n", lines),
            "line 1: a row holds three values, R, G and B");
  EXPECT_EQ(RegisterFileCommands("0x1,0x2,3\n", lines),
            "line 1: \"3\" is not a \"0x\" hexadecimal number for AFB");
  EXPECT_EQ(RegisterFileCommands("0x1,0x100000000,0x3\n", lines),
            "line 1: \"0x100000000\" has more than 8 hexadecimal digits for AFG");
  std::string rows;
  for (int i = 0; i < 129; ++i)
    rows += "0x1,0x2,0x3\n";
  EXPECT_EQ(RegisterFileCommands(rows, lines), "the file holds 129 rows where the table has 128");
  EXPECT_EQ(RegisterFileCommands("\r\n", lines), "the file holds no rows");
}

TEST(AfeTest, RegisterRepliesReadFourDigitsExceptRed) {
  uint32_t v = 0;
  ASSERT_TRUE(ParseAfeReply("AFR=12345", "AFR", v));
  EXPECT_EQ(v, 0x12345u);
  ASSERT_TRUE(ParseAfeReply("AFG=12345", "AFG", v));
  EXPECT_EQ(v, 0x1234u);
  EXPECT_FALSE(ParseAfeReply("AFG=12", "AFB", v));
  EXPECT_FALSE(ParseAfeReply("", "AFR", v));
  EXPECT_FALSE(ParseAfeReply("AFR=", "AFR", v));
}

TEST(SensorMemoryTest, FilesLoadInWholeGroupsWithinTheBlock) {
  std::string text;
  for (int i = 1; i <= 16; ++i)
    text += "0x" + ToHex(static_cast<uint32_t>(i)) + "\n";
  std::vector<std::string> lines;
  EXPECT_EQ(SensorMemoryCommands(text, "AMR", SensorMemoryBase(5), lines), "");
  EXPECT_EQ(lines,
            (std::vector<std::string>{"AMR=2800,1,2,3,4,5,6,7,8", "AMR=2808,9,A,B,C,D,E,F,10"}));
  // A short group is refused, not padded; so are gaps, prose, words beyond
  // 32 bits and a file that would run into the next block.
  EXPECT_EQ(SensorMemoryCommands(text + "0x11\n", "AMM", 0, lines),
            "the file holds 17 words, not a whole number of 8-word groups");
  std::string gap = text;
  gap.replace(gap.find("0x3\n"), 3, "----");
  EXPECT_EQ(SensorMemoryCommands(gap, "AMM", 0, lines),
            "line 3: \"----\" is not a \"0x\" hexadecimal number");
  EXPECT_EQ(SensorMemoryCommands("It was a dark and stormy night;\nthe rain fell in torrents.\n"
                                 "1\n2\n3\n4\n5\n6\n",
                                 "AMM", 0, lines),
            "line 1: \"It was a dark and stormy night;\" is not a \"0x\" hexadecimal number");
  std::string wide = text;
  wide.replace(0, 3, "0x1FFFFFFFF");
  EXPECT_EQ(SensorMemoryCommands(wide, "AMM", 0, lines),
            "line 1: \"0x1FFFFFFFF\" has more than 8 hexadecimal digits");
  std::string block;
  for (int i = 0; i < kSensorMemoryBlockWords + 8; ++i)
    block += "0x0\n";
  EXPECT_EQ(SensorMemoryCommands(block, "AMM", 0, lines),
            "the file holds 2056 words where a block holds 2048");
  EXPECT_EQ(SensorMemoryCommands("", "AMM", 0, lines), "the file holds no words");
}

TEST(DumpTest, SplitOfTheDocumentedReply) {
  DumpSplit s = SplitDumpReply("DMW=&H260004, &H3FF");
  EXPECT_EQ(s.state, 2);
  EXPECT_EQ(s.field1, "&H260004");
  EXPECT_EQ(s.field2, "&H3FF");
  EXPECT_EQ(DumpSplitValue(s), 0x3FFu);

  EXPECT_EQ(SplitDumpReply("DMW &H1").state, 0);
  EXPECT_EQ(DumpSplitValue(SplitDumpReply("DMW=&H1")), 0u);          // no comma
  EXPECT_EQ(DumpSplitValue(SplitDumpReply("DMW=&H1, 3FF")), 0u);     // no &H
  EXPECT_EQ(DumpSplitValue(SplitDumpReply("DMW=&H1,&H3\tFF")), 3u);  // stops at the tab
  EXPECT_EQ(SplitDumpReply("A=B,C,D").field2, "C,D");
}

TEST(DumpTest, RecordsOfMatchingAndMissingWords) {
  DumpWord w;
  ASSERT_TRUE(ParseDumpReply("DMW=&H260000, &H1F", w));
  EXPECT_EQ(DumpRecord(1, &w), "1,&H260000,&H1F,31");
  ASSERT_TRUE(ParseDumpReply("DMW=&Hfffffffe,&H80000000", w));  // the blank is optional
  EXPECT_EQ(DumpRecord(7, &w), "7,&HFFFFFFFE,&H80000000,2147483648");
  EXPECT_FALSE(ParseDumpReply("DMW=&H260000", w));
  EXPECT_FALSE(ParseDumpReply("COMPLETE", w));
  EXPECT_EQ(DumpRecord(3, nullptr), "3,,,");
}

TEST(TerminalRoutineTest, CorrectionTextIsExactly2048Pixels) {
  std::string text = "1\t2\t3\n-4 5  6\r\n";
  for (int i = 2; i < kTerminalPixels; ++i)
    text += "1\t1\t1\n";
  ColourTables t;
  EXPECT_EQ(ParseCorrectionText(text + "\n", t), "");
  EXPECT_EQ(t[2][0], 3);
  EXPECT_EQ(t[0][1], -4);
  EXPECT_EQ(t[2][1], 6);
  EXPECT_EQ(t[1][2047], 1);
  EXPECT_EQ(ParseCorrectionText(text + "1\t1\t1\n", t),
            "the file holds 2049 lines where 2048 pixels are needed");
  EXPECT_EQ(ParseCorrectionText("1\t2\t3\n", t),
            "the file holds 1 lines where 2048 pixels are needed");
  std::string bad = text;
  bad.replace(bad.find("-4 5"), 4, "-4 x");
  EXPECT_EQ(ParseCorrectionText(bad, t), "line 2: \"x\" is not a number for G");
  bad = text;
  bad.replace(0, 5, "1\t2\t");
  EXPECT_EQ(ParseCorrectionText(bad, t), "line 1: a line holds three values, R, G and B");
  bad = text;
  bad.replace(0, 1, "1\t2\t3\t4");
  EXPECT_EQ(ParseCorrectionText(bad, t), "line 1: a line holds three values, R, G and B");
}

TEST(TerminalRoutineTest, PixelRepliesGiveTheirNumberOrNothing) {
  Settings settings;
  UserInterface ui;
  CCamCmd cmd(settings, ui);
  int32_t v = 0;
  EXPECT_TRUE(CorrectionReplyValue(cmd, "PBDR=5,-3", v));
  EXPECT_EQ(v, -3);
  EXPECT_TRUE(CorrectionReplyValue(cmd, "PGDB=77", v));
  EXPECT_EQ(v, 77);
  EXPECT_FALSE(CorrectionReplyValue(cmd, "PBDR=5,", v));
  EXPECT_FALSE(CorrectionReplyValue(cmd, "ERROR", v));
  EXPECT_FALSE(CorrectionReplyValue(cmd, "PBDR=5,3x", v));
}

TEST(TerminalRoutineTest, BlackCorrectionIsTheSignedLowByte) {
  EXPECT_EQ(CorrectionMemoryValue(PixelCorrectionKind::Black, 0x80), -128);
  EXPECT_EQ(CorrectionMemoryValue(PixelCorrectionKind::Black, 0x7F), 127);
  EXPECT_EQ(CorrectionMemoryValue(PixelCorrectionKind::Black, 0x1FF), -1);
  EXPECT_EQ(CorrectionMemoryValue(PixelCorrectionKind::Gain, 0x1FF), 0x1FF);
}

TEST(ShownValuesTest, TemperaturesInSixteenthsAndVersionDigits) {
  for (auto [raw, text] : {std::pair{400, "25.0"},
                           {0, "0.0"},
                           {-16, "-1.0"},
                           {-8, "-0.5"},
                           {-440, "-27.5"},
                           {1, "0.1"}})
    EXPECT_EQ(FormatTemperature(raw), text) << raw;
  for (auto [word, text] : {std::pair{1234, "  1.2.3.4"}, {7, "  0.0.0.7"}, {10203, "  10.2.0.3"}})
    EXPECT_EQ(FormatVersion(word), text) << word;
}

TEST(DacTest, LinesAndBlackOffsetPartners) {
  EXPECT_EQ(Ad5590WriteValue(0, 0, 0, ""), "0,0,0,\r\n");
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
  EXPECT_EQ(boxes[9], "0");
  s.cameraId = "X123456789";
  boxes = InitCameraIdBoxes(s);
  EXPECT_EQ(boxes[9], "9");
  boxes[4].clear();
  boxes[5] = "QZ";
  EXPECT_EQ(CameraIdFromBoxes(boxes), "X123Q6789");
}

}  // namespace
}  // namespace kestrel
