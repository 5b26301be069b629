#include "panel/set_line_check.h"

#include <gtest/gtest.h>

#include "base/checked_input.h"

namespace kestrel {
namespace {

// The one rule for a typed or stored value: what is accepted (the row and the
// value it sets), and the words a refusal uses.
TEST(SetLineCheckTest, AcceptedLinesAndTheWordsOfARefusal) {
  const CommandTable table;
  const int LR = table.Find("LR"), CABN1 = table.Find("CABN1");
  const std::string longest = "CABN1=" + std::string(kMaxSetLine - 6, 'x');
  const std::pair<std::string, std::string> refused[] = {
      {"TGSM=abc", "\"abc\" is not a number for TGSM"},
      {"LR=", "no value for LR"},
      {"LR=12 34", "\"12 34\" is not a number for LR"},
      {"LR=200x", "\"200x\" is not a number for LR"},
      {"LR=-", "\"-\" is not a number for LR"},
      {"LR=99999999999", "\"99999999999\" does not fit in 32 bits for LR"},
      {"LR=99999", "\"99999\" is outside 170..13340 for LR"},
      {"TGSM=2", "\"2\" is outside 0..1 for TGSM"},  // a list of two items
      {"MAV=2", "\"2\" is outside 0..1 for MAV"},    // a check box
      {"LUTD1=2147483648", "\"2147483648\" does not fit in 32 bits for LUTD1"},
      // Indexed rows need their index.
      {"CABL2=40", "no index for CABL2 (CABL2=INDEX,VALUE)"},
      {"CABA2=1", "no index for CABA2 (CABA2=INDEX,VALUE)"},
      {"CABL2=3,1", "\"3\" is outside 0..2 for the index of CABL2"},
      {"CABL2=x,1", "\"x\" is not a number for the index of CABL2"},
      {"CABA2=1,0", "\"0\" is outside 1..8 for CABA2"},
      {"UD=one\rtwo", "a text for UD holds a line break"},
      // No control byte in a text; the user ID's length as `user-id set` has it.
      {"CABN1=a\x1b[2J", "the text for CABN1 holds the control byte \\x1b"},
      {"ID=A\x7f", "the text for ID holds the control byte \\x7f"},
      {"UD=" + std::string(17, 'u'), "the text for UD is longer than 16 characters"},
      {longest + "x", "the text for CABN1 is longer than 249 characters"},
      // Lines that are no settings.
      {"EB?", "not a setting (NAME=VALUE)"},
      {"NOSUCH=1", "\"NOSUCH\" is not a command"},
      {"eb=1", "\"eb\" is not a command"},
  };
  const struct {
    std::string line;
    int cmdIndex;
    ParamValue value;
  } accepted[] = {
      // Rows the panel binds to nothing take any 32-bit number.
      {"LUTD1=-2147483648", cmd::LUTD1, ParamValue::Int(INT32_MIN)},
      // Blanks around the name, the separators and the number are fine.
      {" LR = +200 ", LR, ParamValue::Int(200)},
      {"CABL2 = 1 , -3", cmd::CABL2 + 1, ParamValue::Int(-3)},
      // A text takes the whole rest of the line.
      {"CABN1=Lens A, 2nd", CABN1, ParamValue::Text("Lens A, 2nd")},
      {"UD=", cmd::UD, ParamValue::Text("")},
      {longest, CABN1, ParamValue::Text(std::string(kMaxSetLine - 6, 'x'))},
  };
  CheckedSet set;
  for (const auto& [line, why] : refused)
    EXPECT_EQ(CheckSetLine(table, line, set), why) << line;
  for (const auto& c : accepted) {
    EXPECT_EQ(CheckSetLine(table, c.line, set), "") << c.line;
    EXPECT_EQ(set.cmdIndex, c.cmdIndex) << c.line;
    EXPECT_EQ(set.value.intValue, c.value.intValue) << c.line;
    EXPECT_EQ(set.value.textValue, c.value.textValue) << c.line;
  }
}

// Hexadecimal fields: the prefix and leading zeros do not count as digits.
TEST(CheckedInput, HexFieldsIgnoreThePrefixAndLeadingZeros) {
  uint32_t v = 0;
  std::string digits;
  EXPECT_EQ(CheckHex("0x1", 8, "DATA", v, &digits), "");
  EXPECT_EQ(digits, "1");
  EXPECT_EQ(CheckHex("000000001", 8, "OFFSET", v), "");
  EXPECT_EQ(v, 1u);
}

}  // namespace
}  // namespace kestrel
