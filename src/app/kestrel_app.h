#pragma once

#include <QString>
#include <memory>
#include <string>

#include "base/settings.h"

class QApplication;

namespace kestrel {

class CCamCmd;
class CKestrelDlg;
class QtUserInterface;
class SettingsStore;

// The process: the long-lived objects every part reaches, the settings loaded
// at start and written at the end, and the main panel in between.
class CKestrelApp {
 public:
  // What the command line asks of this run. Nothing here is saved.
  struct Options {
    std::string port;        // --port DEV: this device instead of the configured port
    bool simulator = false;  // --simulator: the built-in camera on a pseudo-terminal
    std::string screenshot;  // --screenshot FILE: save the panel as PNG and end
    bool factory = false;    // --factory: FACTORY mode
    std::string configPath;  // the settings file; empty: KESTREL_CONFIG or the default
  };

  // Creates the port, the command object and the user interface, in that order.
  CKestrelApp();
  // Deletes them in the reverse order of their use: command object, then port.
  ~CKestrelApp();
  CKestrelApp(const CKestrelApp&) = delete;
  CKestrelApp& operator=(const CKestrelApp&) = delete;

  // The start-up routine: load the settings, run the panel until it closes,
  // save the settings. Returns the process's exit status.
  int Run(const Options& options);

  Settings& Config() { return settings_; }
  CCamCmd& Cmd() { return *cmd_; }
  QtUserInterface& Ui() { return *ui_; }
  CKestrelDlg* Panel() { return panel_.get(); }

  // Loads the settings with the run's overrides applied, as Run does. Split
  // out for tests that drive the panel themselves.
  void LoadSettings(const Options& options);
  // Saves the settings, leaving out what only this run asked for.
  bool SaveSettings();

 private:
  int ScreenshotAndSummary(const QString& file);

  Settings settings_;
  std::unique_ptr<QtUserInterface> ui_;
  std::unique_ptr<CCamCmd> cmd_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<CKestrelDlg> panel_;
  std::shared_ptr<void> simulator_;  // the --simulator camera, while the panel runs

  // The configured values a run-only option replaced, put back before saving.
  Settings configured_;
  bool portOverridden_ = false;
  bool simulatorRun_ = false;
  bool modeForced_ = false;
};

}  // namespace kestrel
