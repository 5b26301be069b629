// Lines written to the camera and lines read back: the command table's
// formatting and parsing.
#include <gtest/gtest.h>

#include "common/recording_ui.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

// Lines as the camera and the setting files write them, and what they resolve
// to. Row -1: the line resolves to nothing (and says so).
TEST(ParseLine, LinesResolveToTheirRowAndValue) {
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  struct Row {
    const char* line;
    int replyMode;
    int row;
    int value;         // the integer value, or the kind of a query
    const char* text;  // the text value of a text row
  } rows[] = {
      // Indexed rows resolve by their index; in reply mode the first field is the value.
      {"CABA2?", 0, 47, 0, ""},
      {"CABA2=2,5", 0, 49, 5, ""},
      {"CABL2=1,40\r\n", 0, 45, 40, ""},
      {"CABL2=1,40", 1, 45, 1, ""},
      {"CABL2?2", 0, 44, 1, ""},  // a query names no index to resolve by
      // An index outside the rows of the name resolves to nothing.
      {"CABL2=3,40", 0, -1, 0, ""},   // would be the first CABA2 row
      {"CABL2=-1,40", 0, -1, 0, ""},  // would be CABN3
      {"EB=1000,5", 0, -1, 0, ""},    // past the table
      {"STOF=1,5", 0, -1, 0, ""},
      {"CABT2=99999999999999,1", 0, -1, 0, ""},
      {"LR=0,100", 0, 18, 0, ""},  // a plain row with index 0 is itself
      // Names are exact; "=" wins over "?" wherever they stand.
      {"eb=1", 1, -1, 0, ""},
      {"NOSUCH=1", 0, -1, 0, ""},
      {"EB", 0, -1, 0, ""},
      {"", 0, -1, 0, ""},
      {"EB?=3", 0, -1, 0, ""},
      {"EB = 12\r\n", 1, 0, 12, ""},
      {"EB=?3", 0, 0, 0, ""},
      {"LR?", 0, 18, 0, ""},
      // Integers: the leading part, clamped.
      {"LR=  -42xyz", 0, 18, -42, ""},
      {"LR=+7", 0, 18, 7, ""},
      {"LR=abc", 0, 18, 0, ""},
      {"LR=", 0, 18, 0, ""},
      {"LR=99999999999", 0, 18, INT32_MAX, ""},
      {"LR=-99999999999", 0, 18, INT32_MIN, ""},
      // A text row takes the rest of the line whole, commas and spaces included.
      {"ID=A000000001", 0, cmd::ID, 0, "A000000001"},
      {"UD=my camera, line 2\r\n", 1, cmd::UD, 0, "my camera, line 2"},
      {"UD=1,2", 1, cmd::UD, 0, "1,2"},
      {"CABN1=Lens,A", 0, 41, 0, "Lens,A"},
  };
  for (const Row& r : rows) {
    ParsedLine p;
    EXPECT_EQ(cmd.ParseLine(r.line, p, r.replyMode), r.row >= 0 ? 1 : 0) << r.line;
    EXPECT_EQ(p.error, r.row >= 0 ? 0 : 1) << r.line;
    if (r.row < 0) continue;
    EXPECT_EQ(p.cmdIndex, r.row) << r.line;
    EXPECT_EQ(p.separator == "?" ? p.kind : p.intValue, r.value) << r.line;
    EXPECT_EQ(p.textValue, r.text) << r.line;
  }
  ParsedLine p;
  cmd.ParseLine("EB = 12\r\n", p, 1);
  EXPECT_EQ(p.line, "EB=12");  // blanks and the line end go
  EXPECT_EQ(p.name, "EB");
}

TEST(FormatLine, EveryRowKindIsWrittenAsTheCameraExpects) {
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  EXPECT_EQ(cmd.FormatSet(cmd::EB, ParamValue::Int(-5), true), "EB=-5\r\n");
  EXPECT_EQ(cmd.FormatSet(46, ParamValue::Int(7), true), "CABL2=2,7\r\n");
  EXPECT_EQ(cmd.FormatSet(55, ParamValue::Int(9), false), "CABT2=2,9");
  EXPECT_EQ(cmd.FormatSet(cmd::ID, ParamValue::Text("A000000001"), true), "ID=A000000001\r\n");
  EXPECT_EQ(cmd.FormatSet(cmd::ID, ParamValue::Text(""), false), "ID=");
  EXPECT_EQ(cmd.FormatQuery(45, true), "CABL2?1\r\n");
  EXPECT_EQ(cmd.FormatQuery(cmd::EB, false), "EB?");
  // The value field named by the row decides, not the value's own type.
  ParamValue mixed = ParamValue::Text("12");
  mixed.intValue = 34;
  EXPECT_EQ(cmd.FormatSet(18, mixed, false), "LR=34");
}

TEST(Conversions, LeadingPartOnly) {
  EXPECT_EQ(ToInt(" \t12ab"), 12);
  EXPECT_EQ(ToInt("--1"), 0);
  EXPECT_EQ(ToInt("-"), 0);
  EXPECT_EQ(ToInt("-2147483648"), INT32_MIN);
}

}  // namespace
}  // namespace kestrel
