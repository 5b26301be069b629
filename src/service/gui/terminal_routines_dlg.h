#pragma once

class QMenu;
class QWidget;

namespace kestrel {

class CCamCmd;
class QtUserInterface;

// The terminal's correction-data routines as its context menu offers them.
enum TerminalRoutine : int {
  kWriteBlackFactory = 0,
  kWriteBlackUser,
  kWriteGainFactory,
  kWriteGainUser,
  kReadBlack,
  kReadGain,
  kRunBlackAndRead,
  kRunGainAndRead,
  kTerminalRoutineCount
};

// Runs one routine for the terminal window `owner`: asks for the file (open
// "txt" for the writes, save "csv" with the overwrite question for the
// reads), keeps the tool folder, and runs it with the progress window over
// `owner`. While it runs the other windows of the program are disabled, so no
// second command and no background poll reaches the camera in between. A
// failure is shown over `owner`, a cancel with how far the routine got.
// Returns 1 on success, 0 on failure or when the user cancelled.
int RunTerminalRoutine(QWidget* owner, int which, CCamCmd& cmd, QtUserInterface& ui);

// Fills a context menu with the routines' entries, in the menu's order and
// with its captions, each running RunTerminalRoutine(owner, ...).
void AddTerminalRoutineMenu(QMenu* menu, QWidget* owner, CCamCmd& cmd, QtUserInterface& ui);

}  // namespace kestrel
