// The panel without a camera: start-up that finds nobody, and the SIMULATION
// setting under which the panel itself answers as a camera.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>

#include "common/pty_peer.h"
#include "gui/link_indicator.h"
#include "gui/qt_user_interface.h"
#include "link/rs_port.h"
#include "panel/gui/kestrel_dlg.h"
#include "protocol/cam_cmd.h"

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

class NoCameraTest : public ::testing::Test {
 protected:
  void Start(testing::PtyPeer& peer) {
    settings_.commDevice = peer.SlavePath();
    cmd_ = std::make_unique<CCamCmd>(settings_, port_, ui_);
    ui_.SetResponder([this](const std::string& text, MsgIcon, MsgButtons, const std::string&) {
      boxes_.push_back(text);
      return MsgAnswer::Ok;
    });
    Connection::Timing timing;
    timing.queryMs = 150;
    panel_ = std::make_unique<CKestrelDlg>(*cmd_, ui_, timing);
    panel_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_.get()));
    connected_ = panel_->Initialise();
  }
  void TearDown() override {
    panel_.reset();
    cmd_.reset();
  }

  Settings settings_;
  CRsPort port_;
  QtUserInterface ui_;
  std::unique_ptr<CCamCmd> cmd_;
  std::unique_ptr<CKestrelDlg> panel_;
  std::vector<std::string> boxes_;
  bool connected_ = false;
};

TEST_F(NoCameraTest, NobodyAnswersAtEitherSpeed) {
  testing::PtyPeer peer;  // silent
  settings_.baudRate = 2;
  Start(peer);
  EXPECT_FALSE(connected_);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(panel_->View().As<LinkIndicator>(ctrl::SeparatorUser)->State(), 0);
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
