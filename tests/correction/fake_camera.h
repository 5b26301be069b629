#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace kestrel::testing {

// A camera that keeps correction arrays and answers bulk writes and reads the
// way the transfer engine expects: "NAME=v[,v...]" is stored at the next
// position of NAME and acknowledged, "NAME?" returns the next group. Queries of
// table commands answer from `values`; everything else is acknowledged.
class FakeCamera {
 public:
  FakeCamera() {
    peer_.SetHandler([this](const std::string& line) { return Answer(line); });
  }

  const std::string& Path() const { return peer_.SlavePath(); }
  PtyPeer& Peer() { return peer_; }

  // Group sizes: how many values a query of NAME returns (1 unless set).
  void SetGroup(const std::string& name, int n) {
    std::lock_guard lock(mutex_);
    groups_[name] = n;
  }
  std::vector<int> Array(const std::string& name) {
    std::lock_guard lock(mutex_);
    return arrays_[name];
  }
  void SetArray(const std::string& name, std::vector<int> v) {
    std::lock_guard lock(mutex_);
    arrays_[name] = std::move(v);
    readPos_[name] = 0;
  }
  // Answers for single queries ("SDS" -> "1"), consumed front first; the last stays.
  void QueueAnswers(const std::string& name, std::vector<std::string> answers) {
    std::lock_guard lock(mutex_);
    answers_[name] = std::move(answers);
  }
  int QueryCount(const std::string& name) {
    std::lock_guard lock(mutex_);
    return queries_[name];
  }
  // Lines written by the program, in order.
  std::vector<std::string> Lines() { return peer_.Lines(); }

 private:
  std::string Answer(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (size_t q = line.find('?'); q != std::string::npos) {
      const std::string name = line.substr(0, q);
      ++queries_[name];
      if (auto it = answers_.find(name); it != answers_.end() && !it->second.empty()) {
        std::string a = it->second.front();
        if (it->second.size() > 1) it->second.erase(it->second.begin());
        if (a == "<silent>") return {};
        return name + "=" + a + "\r\n";
      }
      auto& array = arrays_[name];
      const int n = groups_.count(name) ? groups_[name] : 1;
      int& pos = readPos_[name];
      std::string reply = name + "=";
      for (int j = 0; j < n; ++j) {
        if (j > 0) reply += ',';
        const size_t at = static_cast<size_t>(pos++);
        reply += std::to_string(at < array.size() ? array[at] : 0);
      }
      return reply + "\r\n";
    }
    if (size_t eq = line.find('='); eq != std::string::npos) {
      const std::string name = line.substr(0, eq);
      std::string rest = line.substr(eq + 1);
      auto& array = arrays_[name];
      size_t start = 0;
      for (;;) {
        size_t comma = rest.find(',', start);
        array.push_back(std::stoi(rest.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      return "COMPLETE\r\n";
    }
    return "ERROR\r\n";
  }

  std::mutex mutex_;
  std::map<std::string, std::vector<int>> arrays_;
  std::map<std::string, int> groups_;
  std::map<std::string, int> readPos_;
  std::map<std::string, std::vector<std::string>> answers_;
  std::map<std::string, int> queries_;
  PtyPeer peer_;  // last: its thread stops before the state above goes
};

// A command object connected to a FakeCamera, with a recording user interface.
struct CameraFixture {
  CameraFixture() {
    settings.commDevice = camera.Path();
    opened = cmd.OpenConfiguredPort() == 1;
  }
  FakeCamera camera;
  Settings settings;
  CRsPort port;
  RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
  bool opened = false;
};

}  // namespace kestrel::testing
