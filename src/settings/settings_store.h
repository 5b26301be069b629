#pragma once

#include <memory>
#include <string>

#include "base/settings.h"

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
  // renames it). False when the file could not be written.
  bool Save(const Settings& s);

  // A file that cannot be parsed is copied byte for byte to "<file>.damaged"
  // when the store opens it, before anything is written, and replaced by one
  // holding the values that could still be read. Where no copy can be made the
  // file is left alone and nothing is written to it. Empty, or the text that
  // tells the user once that the settings were reset and where the old file is.
  std::string DamageReport() const;

  int GetInt(const char* name, int defaultValue) const;
  std::string GetText(const char* name, const std::string& defaultValue) const;
  void SetInt(const char* name, int value);
  void SetText(const char* name, const std::string& value);
  bool Sync();

  std::string FileName() const;

 private:
  void RebuildDamagedFile();

  enum class Damage { None, Kept, Untouchable };
  std::unique_ptr<QSettings> qs_;
  Damage damaged_ = Damage::None;
};

}  // namespace kestrel
