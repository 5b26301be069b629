#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <cstdlib>

#include "base/settings.h"
#include "base/text_file.h"
#include "base/text_scan.h"

namespace kestrel {

namespace {

// The places of the panel and its tool windows, one value per window, kept
// apart from the values above.
const char* const kWindowGroup = "Windows";

QString FolderOrWorkingDirectory(const std::string& path) {
  if (!path.empty() && QFileInfo::exists(QString::fromStdString(path)))
    return QString::fromStdString(path);
  return QDir::currentPath();
}

}  // namespace

SettingsStore::SettingsStore(const std::string& path) {
  std::string file = path;
  if (file.empty()) {
    if (const char* env = std::getenv("KESTREL_CONFIG"); env && *env) file = env;
  }
  if (!file.empty()) {
    qs_ = std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat);
  } else {
    qs_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Corvid",
                                      "HX-9302 Kestrel");
  }
  // The file is parsed lazily; reading the keys makes its status known. A
  // damaged file is dealt with now, before any value is written: QSettings
  // would rewrite it from the little it understood.
  (void)qs_->allKeys();
  if (qs_->status() == QSettings::FormatError) RebuildDamagedFile();
}

SettingsStore::~SettingsStore() = default;

std::string SettingsStore::FileName() const {
  return qs_->fileName().toStdString();
}

int SettingsStore::GetInt(const char* name, int defaultValue) const {
  QVariant v = qs_->value(name);
  if (!v.isValid()) return defaultValue;
  // Stored as text: the leading decimal integer, as for a registry string value.
  // Anything that is not a single text (a list, say) is ignored.
  if (v.typeId() == QMetaType::QStringList) return defaultValue;
  return ToInt(v.toString().toStdString());
}

std::string SettingsStore::GetText(const char* name, const std::string& defaultValue) const {
  QVariant v = qs_->value(name);
  if (!v.isValid() || v.typeId() == QMetaType::QStringList) return defaultValue;
  return v.toString().toStdString();
}

void SettingsStore::SetInt(const char* name, int value) {
  if (damaged_ != Damage::Untouchable) qs_->setValue(name, value);
}

void SettingsStore::SetText(const char* name, const std::string& value) {
  if (damaged_ != Damage::Untouchable) qs_->setValue(name, QString::fromStdString(value));
}

std::string SettingsStore::DamageReport() const {
  const std::string file = FileName();
  switch (damaged_) {
    case Damage::None:
      return {};
    case Damage::Kept:
      return file + "\nThe settings file could not be read; the settings were reset.\n" +
             "The damaged file is kept as " + file + ".damaged";
    case Damage::Untouchable:
      return file + "\nThe settings file could not be read; the settings were reset.\n" +
             "It could not be copied aside, so it is left as it is and nothing is saved.";
  }
  return {};
}

bool SettingsStore::Sync() {
  if (damaged_ == Damage::Untouchable) return false;
  qs_->sync();
  return qs_->status() == QSettings::NoError;
}

void SettingsStore::Load(Settings& s) {
  s.serialMode = GetInt("Serial Mode", 0);
  s.activeMode = GetText("Active Mode", "USER");
  s.offline = GetInt("OFFLINE", 0);
  s.simulation = GetInt("SIMULATION", 0);
  s.dataPath = GetText("DataPath", "");
  s.cameraId = GetText("Camera Id", "");
  s.commPort = GetInt("Comm Port", 0);
  s.commDevice = GetText("Comm Device", "");
  s.dllNo = GetInt("DLL No", 0);
  s.camLinkSerialIndex = GetInt("CamLink Serial Index", 0);
  s.baudRate = GetInt("Baud Rate", 0);
  s.keepCameraSpeed = GetInt("Keep Camera Speed", 0);
  s.networkPort = GetText("Network Port", "");
  s.cmd = GetText("Cmd", "");
  s.wrtMemAddr = GetText("Wrt Mem Addr", "");
  s.wrtMemData = GetText("Wrt Mem Data", "");
  s.dumpMemAddr = GetText("Dump Mem Addr", "");
  s.dumpMemSize = GetText("Dump Mem Size", "");
  s.dumpFile = GetText("Dump File", "");
  s.recentFiles.clear();
  for (const QString& f : qs_->value("Recent Files").toStringList())
    s.recentFiles.push_back(f.toStdString());

  s.windowGeometry.clear();
  qs_->beginGroup(kWindowGroup);
  for (const QString& key : qs_->childKeys())
    s.windowGeometry[key.toStdString()] = qs_->value(key).toString().toStdString();
  qs_->endGroup();

  QString mode = QString::fromStdString(s.activeMode).toUpper();
  s.operatingMode = mode == "FACTORY" ? kModeFactory : kModeUser;
  s.dataPath = FolderOrWorkingDirectory(s.dataPath).toStdString();
  s.dumpFile = FolderOrWorkingDirectory(s.dumpFile).toStdString();
}

void SettingsStore::RebuildDamagedFile() {
  // The damaged file, byte for byte, beside the new one for whoever wants to
  // look; only once it is safe is the file replaced, by one that carries
  // every value that could still be read. Where no copy can be made the file
  // stays as it is and nothing is saved this run.
  const std::string file = FileName();
  std::string original;
  if (!ReadWholeFile(file, original) || !WriteFileAtomically(file + ".damaged", original)) {
    damaged_ = Damage::Untouchable;
    return;
  }
  QMap<QString, QVariant> readable;
  for (const QString& key : qs_->allKeys())
    if (!key.isEmpty()) readable.insert(key, qs_->value(key));
  qs_.reset();
  QFile::remove(QString::fromStdString(file));
  qs_ = std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat);
  for (auto it = readable.cbegin(); it != readable.cend(); ++it)
    qs_->setValue(it.key(), it.value());
  qs_->sync();
  damaged_ = Damage::Kept;
}

bool SettingsStore::Save(const Settings& s) {
  if (damaged_ == Damage::Untouchable) return false;
  SetInt("Serial Mode", s.serialMode);
  SetText("DataPath", s.dataPath);
  SetText("Camera Id", s.cameraId);
  SetText("Active Mode", s.operatingMode == kModeFactory ? "FACTORY" : "USER");
  SetInt("Comm Port", s.commPort);
  // Only where a device path was chosen instead of a numbered port.
  if (s.commDevice.empty())
    qs_->remove("Comm Device");
  else
    SetText("Comm Device", s.commDevice);
  SetInt("DLL No", s.dllNo);
  SetInt("CamLink Serial Index", s.camLinkSerialIndex);
  SetInt("Baud Rate", s.baudRate);
  SetInt("Keep Camera Speed", s.keepCameraSpeed);
  if (s.networkPort.empty())
    qs_->remove("Network Port");
  else
    SetText("Network Port", s.networkPort);
  SetText("Cmd", s.cmd);
  SetText("Wrt Mem Addr", s.wrtMemAddr);
  SetText("Wrt Mem Data", s.wrtMemData);
  SetText("Dump Mem Addr", s.dumpMemAddr);
  SetText("Dump Mem Size", s.dumpMemSize);
  SetText("Dump File", s.dumpFile);
  QStringList recent;
  for (const std::string& f : s.recentFiles)
    recent << QString::fromStdString(f);
  qs_->setValue("Recent Files", recent);
  qs_->remove(kWindowGroup);
  qs_->beginGroup(kWindowGroup);
  for (const auto& [window, geometry] : s.windowGeometry)
    SetText(window.c_str(), geometry);
  qs_->endGroup();
  return Sync();
}

}  // namespace kestrel
