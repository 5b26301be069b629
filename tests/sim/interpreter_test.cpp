// The camera's command interpreter, in process: every command family the
// program sends, the awkward inputs, and the model behind them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

#include "common/recording_ui.h"
#include "protocol/cam_cmd.h"
#include "sim/command_interpreter.h"

namespace kestrel::sim {
namespace {

class Interp : public ::testing::Test {
 protected:
  // The reply lines joined by "|", "" for no reply.
  std::string Ask(const std::string& line, uint64_t now = 0) {
    Reply r = in.Execute(line, now ? now : ++clock);
    std::string out;
    for (const std::string& l : r.lines)
      out += (out.empty() ? "" : "|") + l;
    lastBaud = r.newBaud;
    return out;
  }
  // Each line and the reply it must get, in turn.
  void Script(std::initializer_list<std::pair<const char*, std::string>> steps) {
    for (const auto& [line, reply] : steps)
      EXPECT_EQ(Ask(line), reply) << line;
  }
  CameraModel m;
  CommandInterpreter in{m};
  uint64_t clock = 1000;
  int lastBaud = 0;
};

// Plain, indexed (NAME=INDEX,VALUE, answered without the index) and text
// rows (blanks kept); the blanks the terminal and the register dialogs put in
// are ignored.
TEST_F(Interp, PlainIndexedAndTextRows) {
  Script({{"LR=1000", "COMPLETE"},
          {"LR?", "LR=1000"},
          {"BL1S=-5", "COMPLETE"},
          {"BL1S?", "BL1S=-5"},
          {"CABL2=1,-2", "COMPLETE"},
          {"CABL2?1", "CABL2=-2"},
          {"CABL2?0", "CABL2=0"},
          {"CABA2?2", "CABA2=6"},
          {"CABL2=3,1", err::kRange},
          {"CABL2=1", err::kSyntax},
          {"CABN1=Tele 50mm", "COMPLETE"},
          {"CABN1?", "CABN1=Tele 50mm"},
          {"LR2 = 2000", "COMPLETE"}});
  EXPECT_EQ(m.Int("CABL2", 1), -2);
  EXPECT_EQ(m.Int("LR2"), 2000);
}

TEST_F(Interp, MalformedLinesGetErrorsAndChangeNothing) {
  // Bare line ends (the second CR LF of AFEW) get nothing; names are case-sensitive.
  Script({{"", ""},
          {"   \r", ""},
          {"HELLO", err::kSyntax},
          {"eb?", err::kUnknown},
          {"XYZ=1", err::kUnknown},
          {"LR=abc", err::kSyntax},
          {"LR=", err::kSyntax},
          {"LR=99999999999", err::kSyntax},
          {"LR=20000", err::kRange},
          {"LR=1,2", err::kSyntax},
          {"LR?5", err::kSyntax},
          {"VN=1", err::kReadOnly},
          {"=5", err::kUnknown}});
  EXPECT_EQ(m.Int("LR"), 170);
  EXPECT_EQ(m.Int("VN"), 1025);
  m.knobs.rejected = {"LR"};
  EXPECT_EQ(Ask("LR?"), err::kRejected);
  EXPECT_EQ(Ask("LR2?"), "LR2=170");  // a rejection names its command exactly
}

// Every table row answers its query in a form the program's own reply parser
// resolves back to that row, so reading all parameters never trips on the camera.
TEST_F(Interp, EveryTableQueryParsesBackToItsRow) {
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd(settings, ui);
  for (int row = 0; row < CommandTable::kRows; ++row) {
    const std::string name = cmd.Table()[row].mnemonic;
    if (name == "SDDS") continue;  // the shading slope's data: three values, see the docs
    const std::string reply = Ask(cmd.FormatQuery(row, false));
    ParsedLine r;
    ASSERT_EQ(cmd.ParseLine(reply, r, 1), 1) << row << " " << reply;
    EXPECT_EQ(r.name, name) << reply;
  }
}

TEST_F(Interp, SequencesAdvanceWrapAndRestart) {
  // 256 reads walk the LUT; the 257th starts again at element 0.
  EXPECT_EQ(Ask("LUTD1?"), "LUTD1=0");
  EXPECT_EQ(Ask("LUTD1?"), "LUTD1=16");
  for (int i = 2; i < 255; ++i)
    Ask("LUTD1?");
  EXPECT_EQ(Ask("LUTD1?"), "LUTD1=4095");
  EXPECT_EQ(Ask("LUTD1?"), "LUTD1=0");
  // Turning from reading to writing restarts at element 0.
  EXPECT_EQ(Ask("LUTD1=7"), "COMPLETE");
  EXPECT_EQ(m.Array("LUTD1")[0], 7);
  EXPECT_EQ(m.Array("LUTD1")[1], 16);
  // Another command in between does not disturb a transfer (the temperature
  // dialog may poll during a long read) ...
  Ask("TMP0?");
  EXPECT_EQ(Ask("LUTD1=8"), "COMPLETE");
  EXPECT_EQ(m.Array("LUTD1")[1], 8);
  // ... but a pause does.
  EXPECT_EQ(Ask("LUTD1=9", clock + 5000), "COMPLETE");
  EXPECT_EQ(m.Array("LUTD1")[0], 9);
  // A refused group leaves the position alone.
  EXPECT_EQ(Ask("LUTD1=4096", 7000), err::kRange);
  EXPECT_EQ(Ask("LUTD1=10", 7001), "COMPLETE");
  EXPECT_EQ(m.Array("LUTD1")[1], 10);
  // The sequences are independent of each other.
  m.Array("CAB2")[0] = -300;
  EXPECT_EQ(Ask("CAB2?", 7002), "CAB2=-300");
}

TEST_F(Interp, CorrectionArraysGroupsStoresAndRanges) {
  Script({{"SDDS=310,-4,77", "COMPLETE"}, {"SDDS=1,2", err::kSyntax}, {"SDDS=1,2,3", "COMPLETE"}});
  EXPECT_EQ(m.Array("SDDS")[2], 77);
  EXPECT_EQ(m.Array("SDDS")[3], 1);
  EXPECT_EQ(Ask("SDDS?", clock + 5000), "SDDS=310,-4,77");
  // SDDS with one value is the store command; 0 and 999 are the only areas.
  Script({{"PBD=16384", err::kRange},
          {"PBD=-16383", "COMPLETE"},
          {"PGD2=65535", "COMPLETE"},
          {"PGD2=-1", err::kRange},
          {"SDDS=0", "COMPLETE"},
          {"PBDS=999", "COMPLETE"},
          {"PGDS=5", err::kRange}});
  m.Array("PBD")[0] = 1;
  m.Array("SDDS")[0] = 2;
  m.PowerOn();  // a reboot brings back what was stored
  EXPECT_EQ(m.Array("PBD")[0], -16383);
  EXPECT_EQ(m.Array("SDDS")[0], 310);
}

TEST_F(Interp, ColourTablesAndTheMemoryBehindThem) {
  // The dump of the correction memory shows the black table's low byte.
  Script({{"PBDG=7,-3", "COMPLETE"},
          {"PBDG?7", "PBDG=-3"},
          {"PGDB=2047,8192", "COMPLETE"},
          {"PGDB=2048,1", err::kRange},
          {"PGDB?2048", err::kRange},
          {"PGDR=1", err::kSyntax},
          {"DMW?&H41001C, &H1", "DMW=&H41001C, &HFD"},
          {"DMW?&H431FFC,&H1", "DMW=&H431FFC, &H2000"},
          {"WMW=&H400004, &H0011", "COMPLETE"},
          {"DMW?&H400004,1", "DMW=&H400004, &H11"}});
  char expected[128];
  std::snprintf(expected, sizeof expected,
                "DMW=&H260000, &H%X|DMW=&H260004, &H%X|DMW=&H260008, &H%X", m.Memory(0x260000),
                m.Memory(0x260004), m.Memory(0x260008));
  EXPECT_EQ(Ask("DMW?&H260000,&H3"), expected);
  Script({{"DMW?&H0,&H0", err::kRange}, {"DMW?&HXYZ,&H1", err::kSyntax}});
  const std::string block = Ask("DMW?&H260000,&H800");
  EXPECT_EQ(std::count(block.begin(), block.end(), '|'), 2047);
}

// The factory area takes SA00, not SA=0; EB reloads the current area, so
// unsaved changes go; the identity is not part of an area; the boot area is
// the factory's by default, the last stored user area on request; a reset
// answers nothing.
TEST_F(Interp, SettingAreasStoreLoadReloadAndReset) {
  Script({{"LR=1000", "COMPLETE"}, {"SA=1", "COMPLETE"},    {"EA?", "EA=1"},
          {"LR=2000", "COMPLETE"}, {"SA=2", "COMPLETE"},    {"SA=0", err::kRange},
          {"SA=3", err::kRange},   {"LD=1", "COMPLETE"},    {"LR?", "LR=1000"},
          {"EA?", "EA=1"},         {"LD=0", "COMPLETE"},    {"LR?", "LR=170"},
          {"LD=3", err::kRange},   {"LR=3000", "COMPLETE"}, {"EB=0", "COMPLETE"},
          {"LR?", "LR=170"},       {"LD=2", "COMPLETE"},    {"MD?", "MD=HX-9302"},
          {"BAS00=1", "COMPLETE"}, {"CRS00=1", ""}});
  EXPECT_EQ(m.CurrentArea(), 2);
  EXPECT_EQ(m.Int("LR"), 2000);
  // CLID resets the user areas and the boot choice, not the working settings.
  EXPECT_EQ(Ask("CLID=0"), "COMPLETE");
  EXPECT_EQ(m.AreaInt(1, "LR"), 170);
  EXPECT_EQ(m.Int("LR"), 2000);
  EXPECT_EQ(Ask("SA00=0"), "COMPLETE");
  EXPECT_EQ(m.AreaInt(0, "LR"), 2000);
}

TEST_F(Interp, CameraIdNeedsTheUnlockCodeEveryTime) {
  Script({{"ID=B123456789", err::kLocked},
          {"ULCK=1234", err::kLocked},
          {"ULCK=6158273", "COMPLETE"},
          {"ID=B123456789", "COMPLETE"},
          {"ID?", "ID=B123456789"},
          {"ID=C000000000", err::kLocked},
          {"UD=seventeen-chars-X", err::kRange},
          {"UD=sixteen-chars-XY", "COMPLETE"}});
}

TEST_F(Interp, CalibrationRunsReportRunningThenTheirResult) {
  EXPECT_EQ(Ask("PBR=0"), "COMPLETE");
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Ask("PBS?"), "PBS=0");
  EXPECT_EQ(Ask("PBS?"), "PBS=1");
  EXPECT_EQ(Ask("PBS?"), "PBS=1");
  EXPECT_EQ(Ask("PBS2?"), "PBS2=1");  // the other sensor never ran
  m.knobs.calibrationResult = 3;
  m.knobs.calibrationPolls = 0;
  EXPECT_EQ(Ask("SDR02=0"), "COMPLETE");
  EXPECT_EQ(Ask("SDS2?"), "SDS2=3");
  m.knobs.calibrationResult = 0;
  EXPECT_EQ(Ask("PGR=0"), "COMPLETE");
  for (int i = 0; i < 50; ++i)
    ASSERT_EQ(Ask("PGS?"), "PGS=0");
  EXPECT_EQ(Ask("PGS=1"), err::kReadOnly);
}

TEST_F(Interp, SpeedSwitchAnswersFirstThenSwitches) {
  for (const auto& [code, reply, baud] :
       {std::tuple{"16", "COMPLETE", 115200}, {"2", "COMPLETE", 19200}, {"3", err::kRange, 0}}) {
    EXPECT_EQ(Ask(std::string("CBDRT=") + code), reply) << code;
    EXPECT_EQ(lastBaud, baud) << code;
  }
}

TEST_F(Interp, RegisterAndFactoryCommands) {
  Script({{"AFEW=255, 228, FF, 3", "COMPLETE"},
          {"AFEW=2, 71, 12, 1", "COMPLETE"},
          {"AFEW=0, 71, 12, 1", err::kRange},
          {"AFR=1F,ABC", "COMPLETE"},
          {"AFR?1F", "AFR=ABC"},
          {"AFG=80,1", err::kRange},
          {"AMR=2800,1,2,3,4,5,6,7,8", "COMPLETE"},
          {"AMR?2807", "AMR=8"},
          {"AMG?2807", "AMG=0"},
          {"AMM=9000,A", "COMPLETE"},
          {"AMB?9000", "AMB=A"},
          {"AMM=97FF,1,2", err::kRange},  // past the last block
          {"FPGAWR=&H1A, &H55", "COMPLETE"},
          {"FPGARD=&H1A", "COMPLETE"},
          {"FPGARD?", "FPGARD=85"},
          {"ACC1S=1", "COMPLETE"},
          {"ACC1S?", "ACC1S=512"},
          {"DACACW=3,1,5,2048", "COMPLETE"},
          {"DACACW=0,0,0,", err::kRange},
          {"DACBW=100", "COMPLETE"}});
  EXPECT_EQ((m.afe[{7, 228, 2}]), 0xFFu);
  EXPECT_EQ((m.afe[{1, 71, 1}]), 0x12u);
  EXPECT_EQ(m.afe.count({1, 71, 2}), 0u);
  EXPECT_EQ(m.Int("B2O5F"), 2048);
  for (const char* line :
       {"PGL=0", "PGL=1", "PGL2=0", "FPLD=0", "CBC0=0,1", "CBC0=1,2,0", "AFM=7C,0"})
    EXPECT_EQ(Ask(line), "COMPLETE") << line;
  EXPECT_EQ(Ask("PG2L=1"), err::kUnknown);
  EXPECT_EQ(Ask("CBC0=1,3,0"), err::kRange);
  EXPECT_EQ(m.factoryLines.size(), 7u);
}

TEST_F(Interp, BlemishDetectionAndPositions) {
  EXPECT_EQ(Ask("BLMD=0"), "COMPLETE");
  const int32_t first = m.Array("BLMP")[0];
  EXPECT_GT(first, 0);
  EXPECT_EQ(Ask("BLMP?"), "BLMP=" + std::to_string(first));
  Ask("BLMI=2");
  EXPECT_EQ(Ask("BLMP=900"), "COMPLETE");
  EXPECT_EQ(m.Array("BLMP")[1], 900);
  EXPECT_EQ(Ask("BLMP=1025"), err::kRange);
  EXPECT_EQ(Ask("BLMPF2?"), "BLMPF2=0");
}

TEST_F(Interp, ByteStreamAssemblyAndOverlongLines) {
  EXPECT_EQ(in.Feed("LR=200\r\nLR?\nLR2?\r", 1), "COMPLETE\r\nLR=200\r\nLR2=170\r\n");
  EXPECT_EQ(in.Feed("LR", 1), "");
  EXPECT_EQ(in.Feed("?\r\n", 1), "LR=200\r\n");
  EXPECT_EQ(in.Feed(std::string(5000, 'A') + "\r\nEA?\r\n", 1),
            std::string(err::kOverflow) + "\r\nEA=0\r\n");
}

TEST(CameraState, RoundTripThroughTheStateFile) {
  const std::string path = ::testing::TempDir() + "camsim_state_" + std::to_string(::getpid());
  {
    CameraModel m;
    CommandInterpreter in(m);
    in.Execute("LR=1234", 1);
    in.Execute("CABN2=Macro lens", 1);
    in.Execute("SA=2", 1);
    in.Execute("BAS00=1", 1);
    in.Execute("PBD=-77", 1);
    in.Execute("PBDS=0", 1);
    in.Execute("LUTD2=99", 1);
    in.Execute("ULCK=6158273", 1);
    in.Execute("ID=Z999999999", 1);
    std::string why;
    ASSERT_TRUE(m.SaveState(path, &why)) << why;
  }
  CameraModel m;
  std::string why;
  ASSERT_TRUE(m.LoadState(path, &why)) << why;
  EXPECT_EQ(m.CurrentArea(), 2);  // booted from the last stored area
  EXPECT_EQ(m.Int("LR"), 1234);
  EXPECT_EQ(m.Text("CABN2"), "Macro lens");
  EXPECT_EQ(m.Array("PBD")[0], -77);
  EXPECT_EQ(m.Array("LUTD2")[0], 99);
  EXPECT_EQ(m.Text("ID"), "Z999999999");

  // A damaged file is refused and changes nothing.
  std::ofstream(path, std::ios::app) << "[array PBD]\n1,2,3\n";
  CameraModel n;
  EXPECT_FALSE(n.LoadState(path, &why));
  EXPECT_NE(why.find("wrong length"), std::string::npos) << why;
  EXPECT_EQ(n.Int("LR"), 170);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace kestrel::sim
