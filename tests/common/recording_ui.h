#pragma once

#include <string>
#include <vector>

#include "base/user_interface.h"

namespace kestrel::testing {

// Records everything the core tells the user: the log, the progress, and
// what engines report in the middle of an operation (as boxes, with the
// answers given in turn).
class RecordingUi : public UserInterface, public Reporter {
 public:
  struct Box {
    std::string text;
    MsgIcon icon;
    MsgButtons buttons;
    std::string caption;
  };

  MsgAnswer Report(const std::string& text, MsgIcon icon, MsgButtons buttons,
                   const std::string& caption) override {
    boxes.push_back({text, icon, buttons, caption});
    if (!answers.empty()) {
      MsgAnswer a = answers.front();
      answers.erase(answers.begin());
      return a;
    }
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                              : MsgAnswer::Ok;
  }
  void AppendLog(const std::string& line) override { log.push_back(line); }
  void AddMessage(const std::string& line) override { messages.push_back(line); }
  void SetLinkState(int online) override { linkStates.push_back(online); }
  void BeginBusy() override { ++busyDepth; }
  void EndBusy() override { --busyDepth; }
  void ShowProgress() override { progressOpen = true; }
  void SetProgressMessage(const std::string& text) override { progressTexts.push_back(text); }
  void SetProgressPercent(int p) override { percents.push_back(p); }
  void CloseProgress() override { progressOpen = false; }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const Box& b : boxes)
      out.push_back(b.text);
    return out;
  }
  int LastLinkState() const { return linkStates.empty() ? -1 : linkStates.back(); }

  std::vector<Box> boxes;
  std::vector<MsgAnswer> answers;  // given to the next boxes in turn
  std::vector<std::string> log;
  std::vector<std::string> messages;
  std::vector<int> linkStates;
  std::vector<std::string> progressTexts;
  std::vector<int> percents;
  int busyDepth = 0;
  bool progressOpen = false;
};

}  // namespace kestrel::testing
