#include <gtest/gtest.h>

#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

class ParseLineTest : public ::testing::Test {
 protected:
  ParsedLine Parse(const std::string& line, int replyMode, int expect) {
    ParsedLine r;
    EXPECT_EQ(cmd.ParseLine(line, r, replyMode), expect) << line;
    EXPECT_EQ(r.error, expect ? 0 : 1) << line;
    return r;
  }
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
};

TEST_F(ParseLineTest, IndexedRowsResolveByTheirIndex) {
  EXPECT_EQ(Parse("CABA2?", 0, 1).cmdIndex, 47);
  ParsedLine r = Parse("CABA2=2,5", 0, 1);
  EXPECT_EQ(r.cmdIndex, 49);
  EXPECT_EQ(r.kind, 2);
  EXPECT_EQ(r.indexNum, 2);
  EXPECT_EQ(r.intValue, 5);
  r = Parse("CABL2=1,40\r\n", 0, 1);
  EXPECT_EQ(r.cmdIndex, 45);
  EXPECT_EQ(r.intValue, 40);
  // In reply mode the first value field is the value.
  r = Parse("CABL2=1,40", 1, 1);
  EXPECT_EQ(r.intValue, 1);
}

TEST_F(ParseLineTest, IndexOutsideTheRowsOfTheNameResolvesToNothing) {
  Parse("CABL2=3,40", 0, 0);   // would be the first CABA2 row
  Parse("CABL2=-1,40", 0, 0);  // would be CABN3
  Parse("EB=1000,5", 0, 0);    // past the table
  Parse("STOF=1,5", 0, 0);
  Parse("CABT2=99999999999999,1", 0, 0);
  // A plain row with index 0 is still itself; the value is the first field.
  ParsedLine r = Parse("LR=0,100", 0, 1);
  EXPECT_EQ(r.cmdIndex, 18);
  EXPECT_EQ(r.intValue, 0);
}

TEST_F(ParseLineTest, NamesAreExactAndSeparatorsAreFound) {
  Parse("eb=1", 1, 0);
  Parse("NOSUCH=1", 0, 0);
  Parse("EB", 0, 0);
  Parse("", 0, 0);
  ParsedLine r = Parse("EB = 12\r\n", 1, 1);
  EXPECT_EQ(r.name, "EB");
  EXPECT_EQ(r.intValue, 12);
  EXPECT_EQ(r.line, "EB=12");
  // "=" wins over "?", wherever they stand.
  r = Parse("EB?=3", 0, 0);
  EXPECT_EQ(r.name, "EB?");
  r = Parse("EB=?3", 0, 1);
  EXPECT_EQ(r.separator, "=");
  EXPECT_EQ(r.intValue, 0);
  r = Parse("LR?", 0, 1);
  EXPECT_EQ(r.kind, 0);
  r = Parse("CABL2?2", 0, 1);
  EXPECT_EQ(r.kind, 1);
  EXPECT_EQ(r.value1, "2");
  EXPECT_EQ(r.cmdIndex, 44);  // a query names no index to resolve by
}

TEST_F(ParseLineTest, ValuesConvertByTheRowType) {
  EXPECT_EQ(Parse("LR=  -42xyz", 0, 1).intValue, -42);
  EXPECT_EQ(Parse("LR=+7", 0, 1).intValue, 7);
  EXPECT_EQ(Parse("LR=abc", 0, 1).intValue, 0);
  EXPECT_EQ(Parse("LR=", 0, 1).intValue, 0);
  EXPECT_EQ(Parse("LR=99999999999", 0, 1).intValue, INT32_MAX);
  EXPECT_EQ(Parse("LR=-99999999999", 0, 1).intValue, INT32_MIN);
  ParsedLine r = Parse("ID=A000000001", 0, 1);
  EXPECT_EQ(r.type, kTypeText);
  EXPECT_EQ(r.textValue, "A000000001");
  // A text row takes the rest of the line whole, commas and spaces included,
  // in commands and in replies alike.
  r = Parse("UD=my camera, line 2\r\n", 1, 1);
  EXPECT_EQ(r.textValue, "my camera, line 2");
  r = Parse("UD=1,2", 1, 1);
  EXPECT_EQ(r.cmdIndex, cmd::UD);
  EXPECT_EQ(r.textValue, "1,2");
  EXPECT_EQ(Parse("CABN1=Lens,A", 0, 1).textValue, "Lens,A");
}

TEST(Conversions, LeadingPartOnly) {
  EXPECT_EQ(ToInt(" \t12ab"), 12);
  EXPECT_EQ(ToInt("--1"), 0);
  EXPECT_EQ(ToInt("-"), 0);
  EXPECT_EQ(ToInt("-2147483648"), INT32_MIN);
}

}  // namespace
}  // namespace kestrel
