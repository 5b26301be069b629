#include "service/camera_file.h"

#include "base/file_messages.h"

namespace kestrel {

int SaveCameraFile(CCamCmd& cmd, const std::string& path, const FillFile& fill,
                   const char* gapText) {
  UserInterface& ui = cmd.Ui();
  AtomicTextFile file;
  if (!file.Create(path)) return cmd.Fail(CannotCreate(path, file.Error()));
  CCamCmd::LinkOwner owner(cmd);
  ui.BeginBusy();
  SavedValues got;
  const int filled = fill(file, got);
  const bool written = filled == 1 && file.Commit();
  ui.EndBusy();
  if (filled != 1) return 0;
  if (!written) return cmd.Fail(CannotWrite(path, file.Error()));
  if (got.gaps > 0)
    return cmd.Fail(FailureKind::NoAnswer, path + "\n" + std::to_string(got.gaps) + " of " +
                                               std::to_string(got.values) + " " + gapText);
  return 1;
}

}  // namespace kestrel
