#pragma once

#include <string>
#include <vector>

#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace kestrel::testing {

// A command object on a pseudo-terminal with a recording user interface; what
// it sent is read back from the communication log.
struct Link {
  explicit Link(const std::string& path) {
    settings.commDevice = path;
    opened = cmd.OpenConfiguredPort() == 1;
  }
  std::vector<std::string> Sent() const {
    std::vector<std::string> lines;
    for (const std::string& l : ui.log)
      if (l.rfind("Tx: ", 0) == 0) lines.push_back(l.substr(4));
    return lines;
  }
  Settings settings;
  RecordingUi ui;
  CCamCmd cmd{settings, ui};
  bool opened = false;
};

// The simulated camera.
struct SimLink {
  explicit SimLink(sim::SimOptions options = {}) : camera(options), link(camera.SlavePath()) {}
  sim::PtyCamera camera;
  Link link;
};

// A peer that answers what the handler says: for replies no camera should give.
struct PeerLink {
  explicit PeerLink(PtyPeer::Handler handler = {})
      : peer(std::move(handler)), link(peer.SlavePath()) {}
  PtyPeer peer;
  Link link;
};

}  // namespace kestrel::testing
