// kestrelctl: the camera's settings from a shell, for scripts and production lines.
#include <QCoreApplication>
#include <clocale>

#include "ctl.h"
#include "settings/settings_store.h"

int main(int argc, char** argv) {
  using namespace kestrel;
  using namespace kestrel::ctl;
  CheckedStdout out;  // first, before anything can take a closed descriptor 1
  InstallStopHandlers();
  QCoreApplication app(argc, argv);  // for the settings store
  // Qt adopts the user's locale; numbers on the wire and in files keep the point.
  std::setlocale(LC_NUMERIC, "C");
  Context ctx;
  {
    SettingsStore store;
    store.Load(ctx.settings);
    ctx.storedBaudRate = ctx.settings.baudRate;
    if (const std::string note = store.DamageReport(); !note.empty()) PrintError(note);
  }
  return out.Finish(RunCommandLine(ctx, std::vector<std::string>(argv + 1, argv + argc)));
}
