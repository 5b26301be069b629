#include <gtest/gtest.h>

#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

class FormatTest : public ::testing::Test {
 protected:
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
};

TEST_F(FormatTest, TableHasTheListedRows) {
  const CommandTable& t = cmd.Table();
  EXPECT_EQ(t.size(), 301);
  EXPECT_EQ(t[0].mnemonic, "EB");
  EXPECT_EQ(t[213].mnemonic, "CBDRT");
  EXPECT_EQ(t[300].mnemonic, "STOF");
  EXPECT_EQ(t[299].mnemonic, "SNOF");
  EXPECT_EQ(t[106].mnemonic, "MD00");
  EXPECT_EQ(t[106].valueType, kTypeText);
  EXPECT_EQ(t[105].valueType, kTypeInteger);
  // Shared mnemonics are consecutive and indexed 0, 1, 2; all others are unique.
  for (int row = 0; row < 301; ++row) {
    const int first = t.Find(t[row].mnemonic);
    if (row >= 44 && row <= 55) {
      EXPECT_EQ(t[row].indexed, 1);
      EXPECT_EQ(t[row].index, row - first) << row;
    } else {
      EXPECT_EQ(first, row) << t[row].mnemonic;
      EXPECT_EQ(t[row].indexed, 0);
    }
    EXPECT_EQ(t[row].indexSpecific, 0);
    EXPECT_NE(t[row].valueType, kTypeReal);
  }
  int text = 0;
  for (int row = 0; row < 301; ++row)
    text += t[row].valueType == kTypeText;
  EXPECT_EQ(text, 19);
}

TEST_F(FormatTest, EveryRowKindIsWrittenAsTheCameraExpects) {
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

TEST(FormatReal, DecimalsComeFromTheRow) {
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
  // No row of the camera is real; the formatter honours the type all the same.
  auto& table = const_cast<CommandTable&>(cmd.Table());
  table[18].valueType = kTypeReal;
  table[18].decimals = 3;
  ParamValue v;
  v.realValue = 1.5;
  EXPECT_EQ(cmd.FormatSet(18, v, false), "LR=1.500");
  v.realValue = -0.25;
  table[18].decimals = 1;
  EXPECT_EQ(cmd.FormatSet(18, v, false), "LR=-0.2");
  table[18].decimals = 0;
  v.realValue = 2.5;
  EXPECT_EQ(cmd.FormatSet(18, v, false), "LR=2");
}

}  // namespace
}  // namespace kestrel
