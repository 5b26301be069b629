#pragma once

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel/headless_view.h"
#include "panel/setting_file.h"
#include "protocol/cam_cmd.h"
#include "sim/command_interpreter.h"

namespace kestrel::testing {

// The simulator's camera answering through a pty peer, which keeps every
// line the program sent, in order.
class SimulatedPeer {
 public:
  SimulatedPeer() : peer_([this](const std::string& line) { return Answer(line); }) {}

  const std::string& SlavePath() const { return peer_.SlavePath(); }
  PtyPeer& Peer() { return peer_; }
  // f(CameraModel&) under the camera's lock.
  template <class F>
  decltype(auto) WithModel(F&& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::forward<F>(f)(model_);
  }
  void SetSilent(bool silent) {
    std::lock_guard<std::mutex> lock(mutex_);
    silent_ = silent;
  }
  // Sets of this name are refused while queries of it are answered (the
  // simulator's own knob refuses both).
  void RefuseSets(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    refused_.insert(name);
  }
  void AcceptSets() {
    std::lock_guard<std::mutex> lock(mutex_);
    refused_.clear();
  }
  // The lines since the last ClearHistory: all, those that set a value and
  // those that ask for one.
  std::vector<std::string> Lines() const {
    const std::vector<std::string> all = peer_.Lines();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(start_, all.size())), all.end()};
  }
  std::vector<std::string> Sets() const { return With('='); }
  std::vector<std::string> Queries() const { return With('?'); }
  void ClearHistory() { start_ = peer_.Lines().size(); }

 private:
  std::vector<std::string> With(char separator) const {
    std::vector<std::string> out;
    for (const std::string& line : Lines())
      if (line.find(separator) != std::string::npos) out.push_back(line);
    return out;
  }
  std::string Answer(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (silent_) return {};
    if (refused_.count(line.substr(0, line.find('=')))) return "ERROR REJECTED\r\n";
    std::string bytes;
    for (const std::string& reply : interpreter_.Execute(line, 0).lines)
      bytes += reply + "\r\n";
    return bytes;
  }

  std::mutex mutex_;
  sim::CameraModel model_;
  sim::CommandInterpreter interpreter_{model_};
  std::set<std::string> refused_;
  bool silent_ = false;
  size_t start_ = 0;
  PtyPeer peer_;  // last: its thread calls Answer
};

// The panel's side of a replay or an area command, recorded.
struct FakePanel : SettingsPanel {
  std::map<int, int> ctrlOfCmd;
  std::vector<std::pair<int, ParamValue>> stored;
  std::vector<int> reread;
  int afterReplay = 0, refreshed = 0;
  int CmdId2CtrlId(int cmdIndex) override {
    auto it = ctrlOfCmd.find(cmdIndex);
    return it == ctrlOfCmd.end() ? -1 : it->second;
  }
  bool SetParam(int ctrlId, const ParamValue& v) override {
    stored.emplace_back(ctrlId, v);
    return true;
  }
  void AfterReplay() override { ++afterReplay; }
  void RefreshFromCamera() override { ++refreshed; }
  bool ReadParamFromCamera(int ctrlId) override {
    reread.push_back(ctrlId);
    return true;
  }
};

// The binding table on headless widgets, connected to the simulated camera.
class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.commDevice = camera.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
    table.AttachView(&view);
    table.SetReporter(ui);
    camera.ClearHistory();
  }
  // What a user does in an edit box: type, then press Enter or leave it.
  void Commit(uint32_t id, const std::string& text,
              BindingTable::Commit how = BindingTable::Commit::FocusLoss) {
    view.Type(id, text);
    table.OnEditCommitted(id, how);
  }
  void Select(uint32_t id, int index) {
    view.SetSelection(id, index);
    table.OnSelectionChanged(id);
  }
  int32_t CameraInt(const std::string& name, int index = 0) {
    return camera.WithModel([&](sim::CameraModel& m) { return m.Int(name, index); });
  }
  void SetCamera(const std::string& name, int32_t value, int index = 0) {
    camera.WithModel([&](sim::CameraModel& m) { m.SetInt(name, value, index); });
  }

  SimulatedPeer camera;
  Settings settings;
  RecordingUi ui;
  CCamCmd cmd{settings, ui};
  BindingTable table{cmd};
  HeadlessBindingView view{table};
};

}  // namespace kestrel::testing
