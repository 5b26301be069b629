#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "correction/data_transfer.h"
#include "links.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using testing::PeerLink;

const char* const kNoAnswer =
    "No answer from Camera! (Timeout error)\nCheck power on Camera or serial cable connection.";

// Long enough for an answer on a loaded machine (the sanitizer builds run this
// too), short enough that a silent camera costs half a second a line.
constexpr TransferTiming kFast{500, 500, 0, 6000};

TEST(TransferTest, BulkLinesArePacedAndStoresNameTheirSensor) {
  std::mutex mutex;
  std::vector<std::chrono::steady_clock::time_point> times;  // of each line's arrival
  PeerLink peer([&](const std::string&) {
    std::lock_guard<std::mutex> lock(mutex);
    times.push_back(std::chrono::steady_clock::now());
    return std::string("COMPLETE\r\n");
  });
  ASSERT_TRUE(peer.link.opened);
  // The production pause: the camera needs it to move each value into place.
  CDataTransfer transfer(peer.link.cmd);
  const int32_t values[6] = {-1, 2, -3, 4, 5, 6};
  ASSERT_EQ(transfer.WriteDataBlocks("SDDS2", values, 3, 6), 1);
  ASSERT_EQ(transfer.WriteDataBlocks("PBD", values, 1, 3), 1);
  {
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(times.size(), 5u);
    for (size_t i = 1; i < times.size(); ++i)
      EXPECT_GE(times[i] - times[i - 1], 20ms) << i;
  }
  EXPECT_EQ(peer.peer.Bytes(), "SDDS2=-1,2,-3\r\nSDDS2=4,5,6\r\nPBD=-1\r\nPBD=2\r\nPBD=-3\r\n");
  EXPECT_EQ(peer.link.ui.log[1], "Rx: COMPLETE");  // the log shows what the camera sent

  // Each kind and sensor stores with its own command.
  for (CorrectionKind kind : {CorrectionKind::PixelBlack, CorrectionKind::PixelGain,
                              CorrectionKind::ShadingOffset, CorrectionKind::ShadingSlope})
    for (int sensor : {1, 2})
      EXPECT_EQ(transfer.StoreCorrection(kind, sensor), 1);
  const std::vector<std::string> lines = peer.peer.Lines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()),
            (std::vector<std::string>{"PBDS=0", "PBDS2=0", "PGDS=0", "PGDS2=0", "SDDS=0", "SDDS2=0",
                                      "SDDS=0", "SDDS2=0"}));
}

// An echo and a line sent unasked are skipped; the reply is read whole.
TEST(TransferTest, RepliesAfterAnEchoOrAnUnaskedLineAreReadWhole) {
  PeerLink peer([](const std::string& line) { return line + "\r\nEVENT\r\nPBD=12345\r\n"; });
  ASSERT_TRUE(peer.link.opened);
  CDataTransfer transfer(peer.link.cmd, kFast);
  int32_t v = 0;
  ASSERT_EQ(transfer.ReadDataBlocks("PBD", &v, 1, 1), 1);
  EXPECT_EQ(v, 12345);
}

// What a transfer ends in when the camera does not play along: the kind, the
// message (the reason, then what failed) and how many lines went out first.
TEST(TransferTest, FailuresSayWhyAndWhatFailed) {
  using Op = std::function<int(CDataTransfer&, int32_t*)>;
  const Op writeBlack = [](CDataTransfer& t, int32_t* v) {
    return t.WriteCorrection(CorrectionKind::PixelBlack, v, 1);
  };
  const Op readSlope = [](CDataTransfer& t, int32_t* v) {
    return t.ReadDataBlocks("SDDS", v, 3, 768);
  };
  const std::string readFailed = std::string(kNoAnswer) + "\nFailed reading camera parameter";
  const struct {
    const char* what;
    std::function<std::string(int line)> answer;  // the n-th line's answer (from 1)
    Op op;
    FailureKind kind;
    std::string text;
    size_t linesSent;
  } cases[] = {
      {"rejected fifth line", [](int n) { return n == 5 ? "ERROR 3\r\n" : "COMPLETE\r\n"; },
       writeBlack, FailureKind::Rejected,
       "1020 of 1024 lines were not accepted (line 5: ERROR 3 for PBD=7)", 5},
      {"silent camera", [](int) { return ""; },
       [](CDataTransfer& t, int32_t* v) { return t.WriteDataBlocks("PBD2", v, 1, 6); },
       FailureKind::NoAnswer,
       "6 of 6 lines were not accepted (line 1: no answer for PBD2=7)\nStopped at line 1 of 6; "
       "the rest was not sent.",
       2},  // and the probe
      {"two values of three", [](int) { return "SDDS=1,2\r\n"; }, readSlope,
       FailureKind::Unreadable,
       "unreadable reply \"SDDS=1,2\" for SDDS?\nFailed reading camera parameter", 1},
      {"no name", [](int) { return "17\r\n"; }, readSlope, FailureKind::Unreadable,
       "unreadable reply \"17\" for SDDS?\nFailed reading camera parameter", 1},
      {"no line end", [](int) { return std::string(400, '7'); }, readSlope, FailureKind::NoAnswer,
       readFailed, 1},
      {"rejected store", [](int) { return "ERROR REJECTED\r\n"; },
       [](CDataTransfer& t, int32_t*) { return t.StoreCorrection(CorrectionKind::PixelBlack, 1); },
       FailureKind::Rejected, "ERROR REJECTED for PBDS=0\nFailed storing pixel black data", 1},
      {"kind without a store", [](int) { return "COMPLETE\r\n"; },
       [](CDataTransfer& t, int32_t*) { return t.StoreCorrection(CorrectionKind::HighBlack, 1); },
       FailureKind::BadInput, "The camera has no store command for high-black", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::atomic<int> lines = 0;
    PeerLink peer([&](const std::string&) { return std::string(c.answer(++lines)); });
    ASSERT_TRUE(peer.link.opened);
    CDataTransfer transfer(peer.link.cmd, kFast);
    std::vector<int32_t> values(1024, 7);
    EXPECT_EQ(c.op(transfer, values.data()), 0);
    EXPECT_EQ(peer.link.cmd.LastFailure().kind, c.kind);
    EXPECT_EQ(peer.link.cmd.LastFailure().text, c.text);
    EXPECT_EQ(peer.peer.Lines().size(), c.linesSent);
    EXPECT_FALSE(peer.link.ui.progressOpen);
    if (c.kind == FailureKind::NoAnswer) {
      EXPECT_EQ(peer.link.ui.LastLinkState(), 0);
    }
  }
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
  EXPECT_EQ(peer.link.cmd.LastFailure().text, "Failed reading camera parameter");
}

TEST(TransferTest, HungUpPortEndsAWriteWithFailure) {
  PeerLink peer;
  ASSERT_TRUE(peer.link.opened);
  CDataTransfer transfer(peer.link.cmd, kFast);
  peer.peer.HangUp();
  std::this_thread::sleep_for(50ms);
  std::vector<int32_t> values(1024, 3);
  EXPECT_EQ(transfer.WriteCorrection(CorrectionKind::PixelBlack, values.data(), 1), 0);
  EXPECT_EQ(peer.link.cmd.LastFailure().kind, FailureKind::Lost);
  EXPECT_EQ(peer.link.cmd.LastFailure().text,
            peer.link.cmd.LostText() +
                "\n1024 of 1024 lines were not accepted (line 1: no answer for PBD=3)");
  EXPECT_EQ(peer.link.ui.LastLinkState(), 0);
}

}  // namespace
}  // namespace kestrel
