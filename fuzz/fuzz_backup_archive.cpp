// Backup files of any content: a file is taken whole (every member listed
// with its checksum) or refused with a reason and nothing taken, and what is
// taken packs back into an archive that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "backup/backup_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  kestrel::CheckedBackup backup;
  if (!kestrel::CheckBackup(file, backup).empty()) {
    if (!backup.members.empty()) std::abort();
    return 0;
  }
  if (backup.members.size() != backup.manifest.members.size()) std::abort();
  kestrel::CheckedBackup again;
  if (!kestrel::CheckBackup(kestrel::PackBackup(backup.manifest, backup.members, 0), again)
           .empty() ||
      again.members.size() != backup.members.size())
    std::abort();
  return 0;
}
