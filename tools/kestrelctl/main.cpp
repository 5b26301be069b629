// kestrelctl: the camera's settings from a shell, for scripts and production lines.
#include <QCoreApplication>

#include "ctl.h"
#include "settings/settings_store.h"

int main(int argc, char** argv) {
  using namespace kestrel;
  using namespace kestrel::ctl;
  QCoreApplication app(argc, argv);  // for the settings store
  Context ctx;
  {
    SettingsStore store;
    store.Load(ctx.settings);
    if (const std::string note = store.DamageReport(); !note.empty()) PrintError(note);
  }
  return RunCommandLine(ctx, std::vector<std::string>(argv + 1, argv + argc));
}
