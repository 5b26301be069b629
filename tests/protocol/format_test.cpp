#include <gtest/gtest.h>

#include <set>

#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

class FormatTest : public ::testing::Test {
 protected:
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
};

// The camera's vocabulary, row by row, as its documentation lists it.
const char* const kRows[301] = {
    "EB",     "ST",     "HP",     "VN",     "PV",     "PVFE",   "ID",     "MD",     "UD",
    "TGSM",   "TR",     "TR2",    "TG",     "TG2",    "TI",     "TI2",    "TP",     "TP2",
    "LR",     "LR2",    "AR",     "AR2",    "AL",     "AL2",    "PE",     "PE2",    "AH",
    "BA",     "CLT",    "TS",     "TS2",    "SCB",    "TTO",    "GM",     "GA1T1",  "GA2T1",
    "BL1S",   "BL2S",   "MAV",    "MAVCG",  "CAB2",   "CABN1",  "CABN2",  "CABN3",  "CABL2",
    "CABL2",  "CABL2",  "CABA2",  "CABA2",  "CABA2",  "CABS2",  "CABS2",  "CABS2",  "CABT2",
    "CABT2",  "CABT2",  "CB",     "NR",     "NR2",    "SDC",    "SDC2",   "SDR",    "SDR2",
    "SDS",    "SDS2",   "PGC",    "PGC2",   "PGR",    "PGR2",   "PGS",    "PGS2",   "PBC",
    "PBC2",   "PBR",    "PBR2",   "PBR0",   "PBR02",  "BLMC",   "BLMC2",  "BLMT",   "BLMT2",
    "BLMD",   "BLMD2",  "BLMI",   "BLMI2",  "BLMP",   "BLMP2",  "PBDS",   "PBDS2",  "PGDS",
    "PGDS2",  "SDDS",   "SDDS2",  "ATB",    "ATB2",   "LUTC1",  "LUTC2",  "LUTD1",  "LUTD2",
    "GMA1",   "GMA2",   "LD",     "SA",     "EA",     "SA00",   "ULCK",   "MD00",   "BAS00",
    "TMP0",   "TMP02",  "SCFA",   "SCFA2",  "SCFB",   "SCFB2",  "SCFC",   "SCFC2",  "SOE",
    "SOE2",   "BYP",    "BYP2",   "USP",    "USP2",   "SDR0",   "SDR02",  "PGR0",   "PGR02",
    "PBS",    "PBS2",   "CLID",   "DACAW",  "DACBW",  "BLMTF",  "BLMTF2", "BLMDF",  "BLMDF2",
    "BLMIF",  "BLMIF2", "BLMPF",  "BLMPF2", "GA1T1F", "GA1T2F", "GA1T3F", "GA1T4F", "GA1T5F",
    "GA1T6F", "GA1T7F", "GA1T8F", "GA2T1F", "GA2T2F", "GA2T3F", "GA2T4F", "GA2T5F", "GA2T6F",
    "GA2T7F", "GA2T8F", "B1O0F",  "B1O1F",  "B1O2F",  "B1O3F",  "B1O4F",  "B1O5F",  "B1O6F",
    "B1O7F",  "B1O8F",  "B1O9F",  "B1O10F", "B1O11F", "B1O12F", "B1O13F", "B1O14F", "B1O15F",
    "B2O0F",  "B2O1F",  "B2O2F",  "B2O3F",  "B2O4F",  "B2O5F",  "B2O6F",  "B2O7F",  "B2O8F",
    "B2O9F",  "B2O10F", "B2O11F", "B2O12F", "B2O13F", "B2O14F", "B2O15F", "FPGAWR", "FPGARD",
    "DACACW", "ATBF",   "ATBF2",  "B1OT1F", "B1OT2F", "B1OT3F", "B1OT4F", "B1OT5F", "B1OT6F",
    "B1OT7F", "B1OT8F", "B2OT1F", "B2OT2F", "B2OT3F", "B2OT4F", "B2OT5F", "B2OT6F", "B2OT7F",
    "B2OT8F", "SCBF0",  "SCBF1",  "SCBF2",  "DNRL",   "DNRL2",  "CBDRT",  "ACC1S",  "ACC2S",
    "AFEW",   "CPSP1",  "CPSP9",  "ABG1",   "ABG2",   "CT1R1",  "CT1R9",  "CT2R1",  "CT2R9",
    "CTM01",  "CTM09",  "P0T11",  "P0T19",  "P0T21",  "P0T29",  "P1T11",  "P1T19",  "P1T21",
    "P1T29",  "SHDL1",  "SHDL2",  "SHDL3",  "SHDL4",  "SHDL5",  "SHDL6",  "SHDL7",  "SHDL8",
    "SHDL9",  "SHDL10", "SHDL11", "SHDL12", "SHDL13", "SHDL14", "SHDL15", "SHDL16", "SHPL1",
    "SHPL2",  "SHPL3",  "SHPL4",  "SHPL5",  "SHPL6",  "SHPL7",  "SHPL8",  "SHPL9",  "SHPL10",
    "SHPL11", "SHPL12", "SHPL13", "SHPL14", "SHPL15", "SHPL16", "SHPW1",  "SHPW9",  "SHPE1",
    "SHPE9",  "DPHP1",  "DPHP9",  "DPHN1",  "DPHN9",  "TCLD1",  "TCLD9",  "SYSL1",  "SYSL9",
    "LTEA1",  "LTEA9",  "LTPA1",  "LTPA9",  "LTPB1",  "LTPB9",  "LTEB1",  "LTEB9",  "LTPL1",
    "LTPL9",  "LTPH1",  "LTPH9",  "AFM",    "AFR",    "AFG",    "AFB",    "AMM",    "AMR",
    "AMG",    "AMB",    "SNOF",   "STOF"};

TEST_F(FormatTest, TableHoldsEveryRowInItsPlace) {
  const CommandTable& t = cmd.Table();
  const std::set<int> text = {6,   7,   8,   41,  42,  43,  106, 129, 130, 189,
                              216, 291, 292, 293, 294, 295, 296, 297, 298};
  for (int row = 0; row < CommandTable::kRows; ++row) {
    EXPECT_EQ(t[row].mnemonic, kRows[row]) << row;
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
