#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "common/recording_ui.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

class FormatTest : public ::testing::Test {
 protected:
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
};

// The rows the program addresses by name, the ends of the table and the
// twelve indexed lens rows: a row moved or lost shifts one of these. Text rows
// and indexed rows are exactly these.
TEST_F(FormatTest, TableHoldsEveryRowInItsPlace) {
  const CommandTable& t = cmd.Table();
  const std::pair<int, const char*> anchors[] = {{cmd::EB, "EB"},
                                                 {cmd::VN, "VN"},
                                                 {cmd::UD, "UD"},
                                                 {18, "LR"},
                                                 {24, "PE"},
                                                 {cmd::CAB2, "CAB2"},
                                                 {cmd::CABL2, "CABL2"},
                                                 {cmd::CABA2, "CABA2"},
                                                 {cmd::CABS2, "CABS2"},
                                                 {cmd::CABT2 + 2, "CABT2"},
                                                 {56, "CB"},
                                                 {cmd::LUTD1, "LUTD1"},
                                                 {cmd::LD, "LD"},
                                                 {cmd::EA, "EA"},
                                                 {cmd::ULCK, "ULCK"},
                                                 {cmd::TMP02, "TMP02"},
                                                 {cmd::CLID, "CLID"},
                                                 {cmd::DACBW, "DACBW"},
                                                 {cmd::FPGAWR, "FPGAWR"},
                                                 {cmd::DACACW, "DACACW"},
                                                 {cmd::CBDRT, "CBDRT"},
                                                 {cmd::AFEW, "AFEW"},
                                                 {cmd::AFM, "AFM"},
                                                 {cmd::STOF, "STOF"}};
  for (const auto& [row, name] : anchors)
    EXPECT_EQ(t[row].mnemonic, name) << row;
  const std::set<int> text = {6,   7,   8,   41,  42,  43,  106, 129, 130, 189,
                              216, 291, 292, 293, 294, 295, 296, 297, 298};
  for (int row = 0; row < CommandTable::kRows; ++row) {
    EXPECT_EQ(t[row].valueType, text.count(row) ? kTypeText : kTypeInteger) << row;
    const bool indexed = row >= 44 && row <= 55;
    EXPECT_EQ(t[row].indexed, indexed ? 1 : 0) << row;
    EXPECT_EQ(t[row].index, indexed ? (row - 44) % 3 : 0) << row;
    EXPECT_EQ(t[row].indexSpecific, 0) << row;
  }
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

}  // namespace
}  // namespace kestrel
