// The panel without a camera: start-up that finds nobody, and the SIMULATION
// setting under which the panel itself answers as a camera.
#include "common/pty_peer.h"
#include "gui/link_lamp.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

// Answers like a camera that knows every name and holds 0 everywhere.
std::string AnswerEverything(const std::string& line) {
  const size_t q = line.find('?');
  if (q != std::string::npos) {
    const std::string name = line.substr(0, q);
    const std::string index = line.substr(q + 1);
    return name + "=" + (index.empty() ? "" : index + ",") + "0\r\n";
  }
  return line.find('=') != std::string::npos ? "COMPLETE\r\n" : "";
}

// The panel on a peer of the test's own instead of the simulated camera.
class NoCameraTest : public PanelFixture {
 protected:
  void Start(testing::PtyPeer& peer) {
    settings_.commDevice = peer.SlavePath();
    expectConnected_ = false;
    StartPanel(kModeUser);
  }
};

TEST_F(NoCameraTest, NobodyAnswersAtEitherSpeed) {
  testing::PtyPeer peer;  // silent
  settings_.baudRate = 2;
  Start(peer);
  EXPECT_FALSE(connected_);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(panel_->View().As<LinkLamp>(ctrl::SeparatorUser)->State(), 0);
  EXPECT_TRUE(panel_->isEnabled());
}

TEST_F(NoCameraTest, SimulationAnswersReceivedLinesAsTheCamera) {
  testing::PtyPeer peer(AnswerEverything);
  settings_.simulation = 1;
  Start(peer);
  ASSERT_TRUE(connected_);
  peer.SetHandler({});
  const size_t before = peer.Lines().size();
  peer.Send("VN?\r\n");
  peer.Send("LR=500\r\n");
  auto sentSince = [&] {
    auto lines = peer.Lines();
    return std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end());
  };
  QTRY_VERIFY_WITH_TIMEOUT(sentSince().size() >= 2, 3000);
  EXPECT_EQ(sentSince()[0], "321");
  EXPECT_EQ(sentSince()[1], "COMPLETE");
}

}  // namespace
}  // namespace kestrel
