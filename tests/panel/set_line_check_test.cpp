#include "panel/set_line_check.h"

#include <gtest/gtest.h>

#include "base/checked_input.h"

namespace kestrel {
namespace {

// The one rule for a typed or stored value: what is accepted, and the words a
// refusal uses.
class SetLineCheckTest : public ::testing::Test {
 protected:
  std::string Why(const std::string& line) {
    CheckedSet set;
    return CheckSetLine(table, line, set);
  }
  CheckedSet Good(const std::string& line) {
    CheckedSet set;
    EXPECT_EQ(CheckSetLine(table, line, set), "") << line;
    return set;
  }
  CommandTable table;
};

TEST_F(SetLineCheckTest, NumbersAreWholeAndWithinTheBoundRange) {
  EXPECT_EQ(Why("TGSM=abc"), "\"abc\" is not a number for TGSM");
  EXPECT_EQ(Why("LR="), "no value for LR");
  EXPECT_EQ(Why("LR=12 34"), "\"12 34\" is not a number for LR");
  EXPECT_EQ(Why("LR=200x"), "\"200x\" is not a number for LR");
  EXPECT_EQ(Why("LR=-"), "\"-\" is not a number for LR");
  EXPECT_EQ(Why("LR=99999999999"), "\"99999999999\" does not fit in 32 bits for LR");
  EXPECT_EQ(Why("LR=99999"), "\"99999\" is outside 170..13340 for LR");
  EXPECT_EQ(Why("TGSM=2"), "\"2\" is outside 0..1 for TGSM");  // a list of two items
  EXPECT_EQ(Why("MAV=2"), "\"2\" is outside 0..1 for MAV");    // a check box
  // Rows the panel binds to nothing take any 32-bit number.
  EXPECT_EQ(Good("LUTD1=-2147483648").value.intValue, INT32_MIN);
  EXPECT_EQ(Why("LUTD1=2147483648"), "\"2147483648\" does not fit in 32 bits for LUTD1");
  // Blanks around the name, the separators and the number are fine.
  const CheckedSet lr = Good(" LR = +200 ");
  EXPECT_EQ(lr.cmdIndex, 18);
  EXPECT_EQ(lr.value.intValue, 200);
}

TEST_F(SetLineCheckTest, IndexedRowsNeedTheirIndex) {
  EXPECT_EQ(Why("CABL2=40"), "no index for CABL2 (CABL2=INDEX,VALUE)");
  EXPECT_EQ(Why("CABA2=1"), "no index for CABA2 (CABA2=INDEX,VALUE)");
  EXPECT_EQ(Why("CABL2=3,1"), "\"3\" is outside 0..2 for the index of CABL2");
  EXPECT_EQ(Why("CABL2=x,1"), "\"x\" is not a number for the index of CABL2");
  EXPECT_EQ(Why("CABA2=1,0"), "\"0\" is outside 1..8 for CABA2");
  const CheckedSet set = Good("CABL2 = 1 , -3");
  EXPECT_EQ(set.cmdIndex, cmd::CABL2 + 1);
  EXPECT_EQ(set.value.intValue, -3);
}

TEST_F(SetLineCheckTest, TextTakesTheWholeRestOfTheLine) {
  EXPECT_EQ(Good("UD=ab,cd").value.textValue, "ab,cd");
  EXPECT_EQ(Good("CABN1=Lens A, 2nd").value.textValue, "Lens A, 2nd");
  EXPECT_EQ(Good("UD=").value.textValue, "");
  EXPECT_EQ(Why("UD=one\rtwo"), "a text for UD holds a line break");
  const std::string longest = "CABN1=" + std::string(kMaxSetLine - 6, 'x');
  EXPECT_EQ(Good(longest).value.textValue.size(), kMaxSetLine - 6);
  EXPECT_EQ(Why(longest + "x"), "the text for CABN1 is longer than 249 characters");
}

TEST_F(SetLineCheckTest, LinesThatAreNoSettingsNameWhy) {
  EXPECT_EQ(Why("EB?"), "not a setting (NAME=VALUE)");
  EXPECT_EQ(Why("NOSUCH=1"), "\"NOSUCH\" is not a command");
  EXPECT_EQ(Why("eb=1"), "\"eb\" is not a command");
}

TEST(CheckedInput, HexWordsAndValueRows) {
  uint32_t v = 0;
  std::string digits;
  EXPECT_EQ(CheckHex("0x1", 8, "DATA", v, &digits), "");
  EXPECT_EQ(digits, "1");
  EXPECT_EQ(CheckHex("1FFFFFFFF", 8, "OFFSET", v),
            "\"1FFFFFFFF\" has more than 8 hexadecimal digits for OFFSET");
  EXPECT_EQ(CheckHex("000000001", 8, "OFFSET", v), "");
  EXPECT_EQ(CheckHex("12G", 8, "ADDR", v), "\"12G\" is not a hexadecimal number for ADDR");
  EXPECT_EQ(CheckHexWord("----", v), "\"----\" is not a \"0x\" hexadecimal number");
  EXPECT_EQ(CheckHexWord("1F", v), "\"1F\" is not a \"0x\" hexadecimal number");
  EXPECT_EQ(CheckHexWord("0x123456789", v), "\"0x123456789\" has more than 8 hexadecimal digits");

  std::vector<int32_t> values;
  // A byte-order mark, blank lines, blanks around commas and a trailing comma.
  EXPECT_EQ(ParseValueRows(InputLines("\xEF\xBB\xBF"
                                      "1, 2,\r\n\r\n-3 ,4\n"),
                           0, 2, 4, -5, 5, values),
            "");
  EXPECT_EQ(values, (std::vector<int32_t>{1, 2, -3, 4}));
  EXPECT_EQ(ParseValueRows(InputLines("1,2\n3\n4,5\n"), 0, 2, 6, -5, 5, values),
            "line 2: 1 value where a line holds 2");
  EXPECT_EQ(ParseValueRows(InputLines("1,2\n3,4\n"), 0, 2, 6, -5, 5, values),
            "the file holds 4 values where 6 are needed");
  EXPECT_EQ(ParseValueRows(InputLines("1,2\n3,4\n"), 0, 2, 2, -5, 5, values),
            "line 2: the file holds more than 2 values");
  EXPECT_EQ(ParseValueRows(InputLines("1,----\n"), 0, 2, 2, -5, 5, values),
            "line 1: \"----\" is not a number");
  EXPECT_EQ(ParseValueRows(InputLines("1,6\n"), 0, 2, 2, -5, 5, values),
            "line 1: \"6\" is outside -5..5");
}

}  // namespace
}  // namespace kestrel
