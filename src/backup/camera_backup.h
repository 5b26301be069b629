#pragma once

#include <functional>
#include <string>
#include <vector>

#include "backup/backup_manifest.h"
#include "correction/data_transfer.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// A whole camera on disk and back: the working settings, the three setting
// areas, every correction array, both LUTs, the aberration table and the user
// ID (with the factory parts, the AFE registers and the sensor memory too),
// each member in the format of its own file, in one archive with a manifest
// (backup/backup_manifest.h). The engines of the single parts do the work;
// this one runs them in turn, puts the camera back as it was after reading
// the areas, and reads back everything it restores.

struct BackupOptions {
  bool factory = false;      // back up the AFE registers and the sensor memory too
  bool otherCamera = false;  // restore per-camera data into a camera of another ID
  int timeoutMs = 3000;
  int pauseMs = TransferTiming{}.pauseMs;  // the pacing of the correction arrays
  std::string kestrelVersion;
  std::string date;  // ISO 8601 UTC for the manifest; now when empty
  // Called as each part starts (its member name) and once at the end with
  // "": the benchmarks take the simulator's account of the wire there.
  std::function<void(const std::string&)> onPart;
};

// What a run did, part by part: filled as it goes, so that a run that stopped
// says how far it got.
struct BackupRun {
  std::vector<std::string> done;     // members read (backup) or written (restore)
  std::vector<std::string> checked;  // restore: members read back equal
  std::vector<std::string> skipped;  // restore: per-camera members left out
  std::vector<std::pair<std::string, double>> seconds;  // wall time of each part
  std::string note;  // the camera ID differs, the working settings were put back, ...
};

// Reads the whole camera into an archive. 1 on success; else 0 and
// cmd.LastFailure(). After the areas were read the camera's working settings
// and current area are put back and checked, also after a failure or a cancel
// in the middle of the areas.
[[nodiscard]] int BackUpCamera(CCamCmd& cmd, const BackupOptions& options, std::string& archive,
                               BackupRun& run);

// Restores a checked backup. Per-camera members (correction arrays, AFE
// registers, sensor memory) go only into the camera of the manifest's camera
// ID unless options.otherCamera; the others are skipped and named in
// run.skipped. Each part is written and read back before the next; the
// first part that fails or is not held as written ends the run (0 and
// cmd.LastFailure()); run.done names what was written by then.
[[nodiscard]] int RestoreCamera(CCamCmd& cmd, const CheckedBackup& backup,
                                const BackupOptions& options, BackupRun& run);

// Where the camera differs from the backup: the working settings, the
// correction arrays, the LUTs and the aberration table. One line per
// difference ("LR  backup=1000  camera=1500  Line Rate..." or
// "pixel-black-1.csv: 3 of 1024 values differ, first at 17: backup 40, camera
// 41"). 1 when every value could be read (the lines may be empty); else 0 and
// cmd.LastFailure().
[[nodiscard]] int DiffWithBackup(CCamCmd& cmd, const CheckedBackup& backup,
                                 const BackupOptions& options,
                                 std::vector<std::string>& differences);

// What an archive holds, one line per member with its size, after the
// manifest's camera lines.
std::vector<std::string> DescribeBackup(const CheckedBackup& backup);

}  // namespace kestrel
