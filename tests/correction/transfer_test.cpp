#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

#include "correction/data_transfer.h"
#include "links.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using testing::PeerLink;
using testing::SimLink;

const char* const kNoAnswer =
    "No answer from Camera! (Timeout error)\nCheck power on Camera or serial cable connection.";

// Short time-outs: a silent camera must cost milliseconds here, not seconds.
constexpr TransferTiming kFast{40, 60, 0, 6000};

TEST(DataReplyTest, CompletenessAndParsing) {
  int32_t v[3] = {-1, -1, -1};
  EXPECT_FALSE(DataReplyComplete("PBD=17", 1));
  // Two values where three are expected never complete.
  EXPECT_FALSE(DataReplyComplete("SDDS=1,2\r\n", 3));
  ASSERT_TRUE(DataReplyComplete("SDDS=310,-4,77\r\n", 3));
  ASSERT_TRUE(ParseDataReply("SDDS=310,-4,77\r\n", v, 3));
  EXPECT_EQ((std::vector<int32_t>{v[0], v[1], v[2]}), (std::vector<int32_t>{310, -4, 77}));
  // A field without a number is not a reply (an echo, an error line).
  EXPECT_FALSE(ParseDataReply("COMPLETE\r\n", v, 1));
  EXPECT_FALSE(ParseDataReply("SDDS=1,,3\r\n", v, 3));
  // Numbers beyond 32 bits clamp instead of wrapping into range.
  ASSERT_TRUE(ParseDataReply("PBD=99999999999\r\n", v, 1));
  EXPECT_EQ(v[0], INT32_MAX);
}

TEST(TransferTest, WriteAndReadOneGroupPerCommandWithProgress) {
  SimLink sim;
  ASSERT_TRUE(sim.link.opened);
  CDataTransfer transfer(sim.link.cmd, kFast);
  std::vector<int32_t> values(768);
  std::iota(values.begin(), values.end(), -300);
  ASSERT_EQ(transfer.WriteCorrection(CorrectionKind::ShadingSlope, values.data(), 2), 1);
  auto& ui = sim.link.ui;
  const auto sent = sim.link.Sent();
  ASSERT_EQ(sent.size(), 256u);
  EXPECT_EQ(sent.front(), "SDDS=-300,-299,-298");
  EXPECT_EQ(sent.back(), "SDDS=465,466,467");
  EXPECT_EQ(ui.log[1], "Rx: COMPLETE");
  ASSERT_EQ(ui.progressTexts.size(), 256u);
  EXPECT_EQ(ui.progressTexts.front(), "Completed  (0 / 256)");
  EXPECT_EQ(ui.percents.front(), 0);
  EXPECT_EQ(ui.progressTexts.back(), "Completed  (255 / 256)");
  EXPECT_EQ(ui.percents.back(), 99);
  EXPECT_FALSE(ui.progressOpen);

  std::vector<int32_t> back(768, 1);
  ASSERT_EQ(transfer.ReadCorrection(CorrectionKind::ShadingSlope, back.data(), 1), 1);
  EXPECT_EQ(back, values);
  EXPECT_EQ(sim.link.Sent().back(), "SDDS?");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.LastLinkState(), 1);
}

TEST(TransferTest, SilentCameraDuringAWriteStillCompletes) {
  PeerLink silent;
  ASSERT_TRUE(silent.link.opened);
  CDataTransfer transfer(silent.link.cmd, kFast);
  std::vector<int32_t> values(6, 7);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transfer.WriteDataBlocks("PBD2", values.data(), 1, 6), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 6 * 40ms);
  EXPECT_EQ(silent.peer.Lines().size(), 6u);
  EXPECT_TRUE(silent.link.ui.boxes.empty());
  // Nothing came back, so nothing is logged as received.
  for (const std::string& line : silent.link.ui.log)
    EXPECT_EQ(line.rfind("Rx:", 0), std::string::npos);
}

TEST(TransferTest, RepliesWithAnEchoOrWithoutANameAreRead) {
  PeerLink peer([](const std::string& line) { return line + "\r\nPBD=-5\r\n"; });
  ASSERT_TRUE(peer.link.opened);
  CDataTransfer transfer(peer.link.cmd, kFast);
  int32_t v = 0;
  ASSERT_EQ(transfer.ReadDataBlocks("PBD", &v, 1, 1), 1);
  EXPECT_EQ(v, -5);
  peer.peer.SetHandler([](const std::string&) { return std::string("17\r\n"); });
  ASSERT_EQ(transfer.ReadDataBlocks("PBD", &v, 1, 1), 1);
  EXPECT_EQ(v, 17);
  EXPECT_TRUE(peer.link.ui.boxes.empty());
}

TEST(TransferTest, IncompleteOrOverlongRepliesFailTheReadWithBothMessages) {
  // Two values where three are expected; 400 bytes without a line end, of
  // which the reply buffer keeps 255.
  for (const std::string& reply : {std::string("SDDS=1,2\r\n"), std::string(400, '7')}) {
    PeerLink peer([reply](const std::string&) { return reply; });
    ASSERT_TRUE(peer.link.opened);
    CDataTransfer transfer(peer.link.cmd, kFast);
    std::vector<int32_t> values(768, 0);
    EXPECT_EQ(transfer.ReadDataBlocks("SDDS", values.data(), 3, 768), 0);
    const auto& ui = peer.link.ui;
    EXPECT_EQ(ui.BoxTexts(),
              (std::vector<std::string>{kNoAnswer, "Failed reading camera parameter"}));
    EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ui.LastLinkState(), 0);
    EXPECT_FALSE(ui.progressOpen);
    EXPECT_EQ(peer.peer.Lines().size(), 1u);  // the read ends at the first failed reply
  }
}

TEST(TransferTest, StoreReportsTheOutcomePerKind) {
  sim::SimOptions options;
  options.rejected = {"PBDS"};
  SimLink sim(options);
  ASSERT_TRUE(sim.link.opened);
  CDataTransfer transfer(sim.link.cmd, kFast);
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::PixelGain, 2), 1);
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::ShadingSlope, 1), 1);
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::HighBlack, 1), 0);  // no such command
  EXPECT_EQ(sim.link.Sent(), (std::vector<std::string>{"PGDS2=0", "SDDS=0"}));
  EXPECT_EQ(transfer.StoreCorrection(CorrectionKind::PixelBlack, 1), 0);
  EXPECT_EQ(sim.link.ui.BoxTexts(),
            (std::vector<std::string>{
                "Succeeded in storing pixel gain data", "Succeeded in storing shading data",
                "ERROR REJECTED for PBDS=0", "Failed storing pixel black data"}));
}

TEST(TransferTest, OfflineWritesAtOnceAndReadsFail) {
  PeerLink peer;
  peer.link.settings.offline = 1;
  CDataTransfer transfer(peer.link.cmd);  // production time-outs: nothing may wait for them
  std::vector<int32_t> values(1024, 3);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transfer.WriteCorrection(CorrectionKind::PixelBlack, values.data(), 1), 1);
  EXPECT_EQ(transfer.ReadCorrection(CorrectionKind::PixelBlack, values.data(), 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(peer.link.ui.BoxTexts(), std::vector<std::string>{"Failed reading camera parameter"});
}

TEST(TransferTest, HungUpPortEndsAWriteWithFailure) {
  PeerLink peer;
  ASSERT_TRUE(peer.link.opened);
  CDataTransfer transfer(peer.link.cmd, kFast);
  peer.peer.HangUp();
  std::this_thread::sleep_for(50ms);
  std::vector<int32_t> values(1024, 3);
  EXPECT_EQ(transfer.WriteCorrection(CorrectionKind::PixelBlack, values.data(), 1), 0);
  EXPECT_EQ(peer.link.ui.BoxTexts(), std::vector<std::string>{peer.link.cmd.LostText()});
  EXPECT_EQ(peer.link.ui.LastLinkState(), 0);
}

}  // namespace
}  // namespace kestrel
