#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/pty_peer.h"

namespace kestrel::testing {

// A camera on a pseudo-terminal that keeps every value it is sent and answers
// queries with it, at one line speed. Lines that reach it at another speed
// are answered with noise, as on a real line.
class FakeCamera {
 public:
  // baud 0: answers at any speed.
  explicit FakeCamera(int baud = 0);

  const std::string& SlavePath() const { return peer_.SlavePath(); }
  PtyPeer& Peer() { return peer_; }

  // Values by "NAME" or, for indexed commands, "NAME,INDEX".
  void Set(const std::string& key, const std::string& value);
  std::string Get(const std::string& key) const;
  // Sets of these names are answered "ERROR".
  void Reject(const std::string& name);
  void Silence(bool silent);

  int Baud() const;
  // Every line received, and the lines that changed a value (NAME=...).
  std::vector<std::string> Lines() const { return peer_.Lines(); }
  std::vector<std::string> Sets() const;
  std::vector<std::string> Queries() const;
  void ClearHistory();

 private:
  std::string Handle(const std::string& line);

  mutable std::mutex mutex_;
  std::map<std::string, std::string> values_;
  std::set<std::string> rejected_;
  int baud_;
  bool silent_ = false;
  size_t historyStart_ = 0;
  PtyPeer peer_;
};

}  // namespace kestrel::testing
