#pragma once

namespace kestrel {

class CKestrelDlg;
class CRsTermDlg;
class QtUserInterface;

// Creates the terminal as a child of the panel (so it ends with the panel and
// hands its fields back to the settings before the application saves them),
// wires the panel's "Terminal" button to it, shows its memory section in
// FACTORY mode and disables it while the panel is busy. Call once per panel;
// a second call returns the terminal of the first.
CRsTermDlg* InstallTerminal(CKestrelDlg& panel, QtUserInterface& ui);

}  // namespace kestrel
