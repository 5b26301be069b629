#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "util/text_file.h"
#include "fake_camera.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;

const char* const kNoAnswer =
    "No answer from Camera! (Timeout error)\nCheck power on Camera or serial cable connection.";

// Short time-outs: a silent camera must cost milliseconds here, not seconds.
TransferTiming Fast() {
  TransferTiming t;
  t.ackTimeoutMs = 40;
  t.replyTimeoutMs = 60;
  t.pauseMs = 0;
  return t;
}

class TransferTest : public ::testing::Test, public testing::CameraFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(opened); }
  CDataTransfer transfer{cmd, Fast()};
};

TEST(DataReplyTest, CompletenessAndParsing) {
  int32_t v[3] = {-1, -1, -1};
  EXPECT_FALSE(DataReplyComplete("PBD=17", 1));
  EXPECT_TRUE(DataReplyComplete("PBD=17\r\n", 1));
  // Two values where three are expected never complete.
  EXPECT_FALSE(DataReplyComplete("SDDS=1,2\r\n", 3));
  EXPECT_TRUE(DataReplyComplete("SDDS=310,-4,77\r\n", 3));
  ASSERT_TRUE(ParseDataReply("SDDS=310,-4,77\r\n", v, 3));
  EXPECT_EQ((std::vector<int32_t>{v[0], v[1], v[2]}), (std::vector<int32_t>{310, -4, 77}));
  // No "=": the text is used whole.
  ASSERT_TRUE(ParseDataReply("17\r\n", v, 1));
  EXPECT_EQ(v[0], 17);
  // A field without a number is not a reply (an echo, an error line).
  EXPECT_FALSE(ParseDataReply("COMPLETE\r\n", v, 1));
  EXPECT_FALSE(ParseDataReply("SDDS=1,,3\r\n", v, 3));
  // Numbers beyond 32 bits clamp instead of wrapping into range.
  ASSERT_TRUE(ParseDataReply("PBD=99999999999\r\n", v, 1));
  EXPECT_EQ(v[0], INT32_MAX);
  EXPECT_EQ(FormatDataLine("SDDS", v, 1), "SDDS=2147483647\r\n");
}

TEST_F(TransferTest, WriteSendsOneGroupPerCommandWithProgress) {
  std::vector<int32_t> values(768);
  std::iota(values.begin(), values.end(), -300);
  ASSERT_EQ(transfer.WriteCorrection(CorrectionKind::ShadingSlope, values.data(), 2), 1);
  const auto lines = camera.Lines();
  ASSERT_EQ(lines.size(), 256u);
  EXPECT_EQ(lines.front(), "SDDS=-300,-299,-298");
  EXPECT_EQ(lines.back(), "SDDS=465,466,467");
  EXPECT_EQ(camera.Array("SDDS"), std::vector<int>(values.begin(), values.end()));
  ASSERT_EQ(ui.progressTexts.size(), 256u);
  EXPECT_EQ(ui.progressTexts.front(), "Completed  (0 / 256)");
  EXPECT_EQ(ui.percents.front(), 0);
  EXPECT_EQ(ui.progressTexts.back(), "Completed  (255 / 256)");
  EXPECT_EQ(ui.percents.back(), 99);
  EXPECT_FALSE(ui.progressOpen);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.log[0], "Tx: SDDS=-300,-299,-298");
  EXPECT_EQ(ui.log[1], "Rx: COMPLETE");
}

TEST_F(TransferTest, SilentCameraDuringAWriteStillCompletes) {
  camera.Peer().SetHandler([](const std::string&) { return std::string(); });
  std::vector<int32_t> values(6, 7);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transfer.WriteDataBlocks("PBD2", values.data(), 1, 6), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 6 * 40ms);
  EXPECT_EQ(camera.Lines().size(), 6u);
  EXPECT_TRUE(ui.boxes.empty());
  // Nothing came back, so nothing is logged as received.
  for (const std::string& line : ui.log)
    EXPECT_EQ(line.rfind("Rx:", 0), std::string::npos);
}

TEST_F(TransferTest, WrongAcknowledgementIsWaitedOutButNotFatal) {
  camera.Peer().SetHandler([](const std::string&) { return std::string("complete\r\n"); });
  int32_t v[2] = {1, 2};
  EXPECT_EQ(transfer.WriteDataBlocks("PBD", v, 1, 2), 1);
  EXPECT_EQ(ui.log[1], "Rx: complete");
}

TEST_F(TransferTest, ReadCollectsGroupsAndSkipsEchoes) {
  camera.SetGroup("SDDS", 3);
  std::vector<int> stored(768);
  std::iota(stored.begin(), stored.end(), -32768);
  camera.SetArray("SDDS", stored);
  std::vector<int32_t> values(768, 1);
  ASSERT_EQ(transfer.ReadCorrection(CorrectionKind::ShadingSlope, values.data(), 1), 1);
  EXPECT_EQ(std::vector<int>(values.begin(), values.end()), stored);
  EXPECT_EQ(camera.Lines().front(), "SDDS?");
  EXPECT_EQ(ui.progressTexts.back(), "Completed  (255 / 256)");

  // A camera that echoes the query first, and one that answers without a name.
  camera.Peer().SetHandler([](const std::string& line) { return line + "\r\n" + "PBD=-5\r\n"; });
  int32_t v = 0;
  ASSERT_EQ(transfer.ReadDataBlocks("PBD", &v, 1, 1), 1);
  EXPECT_EQ(v, -5);
  camera.Peer().SetHandler([](const std::string&) { return std::string("17\r\n"); });
  ASSERT_EQ(transfer.ReadDataBlocks("PBD", &v, 1, 1), 1);
  EXPECT_EQ(v, 17);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TransferTest, TwoValuesWhereThreeAreExpectedFailTheReadWithBothMessages) {
  camera.Peer().SetHandler([](const std::string&) { return std::string("SDDS=1,2\r\n"); });
  std::vector<int32_t> values(768, 0);
  EXPECT_EQ(transfer.ReadDataBlocks("SDDS", values.data(), 3, 768), 0);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{kNoAnswer, "Faild reading camera parameter"}));
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Warning);
  EXPECT_EQ(ui.LastLinkState(), 0);
  EXPECT_FALSE(ui.progressOpen);
  EXPECT_EQ(camera.Lines().size(), 1u);  // the read ends at the first failed reply
}

TEST_F(TransferTest, OverlongReplyIsBoundedAndTimesOut) {
  // 400 bytes without a line end: the reply buffer stops at 255 characters.
  camera.Peer().SetHandler([](const std::string&) { return std::string(400, '7'); });
  int32_t v = 0;
  EXPECT_EQ(transfer.ReadDataBlocks("PBD", &v, 1, 1), 0);
  EXPECT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(v, 0);
}

TEST_F(TransferTest, StoreReportsTheOutcomePerKind) {
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::PixelGain, 2), 1);
  EXPECT_EQ(camera.Lines().back(), "PGDS2=0");
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::ShadingSlope, 1), 1);
  EXPECT_EQ(camera.Lines().back(), "SDDS=0");
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{"Succeeded in storing pixel gain data",
                                                     "Succeeded in storing shading data"}));
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::HighBlack, 1), 0);  // no such command
  EXPECT_EQ(camera.Lines().size(), 2u);

  ui.boxes.clear();
  camera.Peer().SetHandler([](const std::string&) { return std::string("NG\r\n"); });
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::PixelBlack, 1), 0);
  EXPECT_EQ(ui.BoxTexts(),
            (std::vector<std::string>{"NG for PBDS=0", "Failed storing pixel black data"}));
}

TEST_F(TransferTest, OfflineWritesAtOnceAndReadsFail) {
  settings.offline = 1;
  std::vector<int32_t> values(1024, 3);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transfer.WriteCorrection(CorrectionKind::PixelBlack, values.data(), 1), 1);
  EXPECT_EQ(transfer.ReadCorrection(CorrectionKind::PixelBlack, values.data(), 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Faild reading camera parameter"});
}

TEST_F(TransferTest, HungUpPortEndsAWriteWithFailure) {
  camera.Peer().HangUp();
  std::vector<int32_t> values(1024, 3);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(transfer.WriteCorrection(CorrectionKind::PixelBlack, values.data(), 1), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{kNoAnswer});
  EXPECT_EQ(ui.LastLinkState(), 0);
}

}  // namespace
}  // namespace kestrel
