#pragma once

#include <memory>
#include <string>

#include "protocol/settings.h"

class QSettings;

namespace kestrel {

// The persisted settings: QSettings with organisation "Corvid" and application
// "HX-9302 Kestrel" (an INI file in the user's configuration folder), or the
// file that KESTREL_CONFIG names. Value names, defaults and the read and write
// orders are fixed: stored files of earlier runs read the same.
class SettingsStore {
 public:
  // path empty: KESTREL_CONFIG if set, else the user's configuration file.
  explicit SettingsStore(const std::string& path = {});
  ~SettingsStore();

  void Load(Settings& s);
  // Writes every saved value (never "OFFLINE" or "SIMULATION") and flushes;
  // the file is replaced as a whole (QSettings writes a temporary file and
  // renames it). A file that could not be parsed is kept as "<file>.damaged"
  // and a new one written. False when the file could not be written.
  bool Save(const Settings& s);

  int GetInt(const char* name, int defaultValue) const;
  std::string GetText(const char* name, const std::string& defaultValue) const;
  void SetInt(const char* name, int value);
  void SetText(const char* name, const std::string& value);
  bool Sync();

  std::string FileName() const;

 private:
  void RebuildDamagedFile();

  std::unique_ptr<QSettings> qs_;
};

}  // namespace kestrel
