#include "backup/backup_manifest.h"

#include "base/checked_input.h"
#include "base/sha256.h"
#include "base/text_file.h"

namespace kestrel {
namespace {

constexpr const char* kFirstLine = "kestrel-backup 1";

bool HexDigest(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace

std::string FormatManifest(const BackupManifest& m) {
  std::vector<std::string> lines = {kFirstLine,
                                    "model=" + m.model,
                                    "camera-id=" + m.cameraId,
                                    "user-id=" + m.userId,
                                    "firmware=" + m.firmware,
                                    "fpga1=" + m.fpga1,
                                    "fpga2=" + m.fpga2,
                                    "current-area=" + std::to_string(m.currentArea),
                                    std::string("factory=") + (m.factory ? "1" : "0"),
                                    "date=" + m.date,
                                    "kestrel=" + m.kestrelVersion};
  for (const BackupManifest::Member& member : m.members)
    lines.push_back("member=" + member.sha256 + " " + member.name);
  return JoinCrLf(lines);
}

std::string ParseManifest(std::string_view text, BackupManifest& out) {
  const std::vector<std::string> lines = InputLinesTrimmed(text);
  if (lines.empty() || lines[0] != kFirstLine)
    return "the manifest does not begin with \"" + std::string(kFirstLine) + "\"";
  BackupManifest m;
  bool area = false, factory = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return "manifest " + LineLabel(i) + "not a key=value line";
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    std::string* field = key == "model"       ? &m.model
                         : key == "camera-id" ? &m.cameraId
                         : key == "user-id"   ? &m.userId
                         : key == "firmware"  ? &m.firmware
                         : key == "fpga1"     ? &m.fpga1
                         : key == "fpga2"     ? &m.fpga2
                         : key == "date"      ? &m.date
                         : key == "kestrel"   ? &m.kestrelVersion
                                              : nullptr;
    if (field) {
      *field = value;
    } else if (key == "current-area" && (value == "0" || value == "1" || value == "2")) {
      m.currentArea = value[0] - '0';
      area = true;
    } else if (key == "factory" && (value == "0" || value == "1")) {
      m.factory = value == "1";
      factory = true;
    } else if (key == "member" && value.size() > 65 && value[64] == ' ' &&
               HexDigest(std::string_view(value).substr(0, 64)) &&
               PlainMemberName(std::string_view(value).substr(65))) {
      m.members.push_back({value.substr(0, 64), value.substr(65)});
    } else {
      return "manifest " + LineLabel(i) + "\"" + key + "\" is not a manifest entry";
    }
  }
  if (!area || !factory || m.cameraId.empty() || m.members.empty())
    return "the manifest lacks the camera ID, the current area, the factory flag or its members";
  out = std::move(m);
  return {};
}

const std::string* CheckedBackup::Find(std::string_view name) const {
  for (const TarMember& member : members)
    if (member.name == name) return &member.data;
  return nullptr;
}

std::string CheckBackup(std::string_view archive, CheckedBackup& backup) {
  std::vector<TarMember> members;
  if (std::string why = ReadTar(archive, members); !why.empty()) return why;
  if (members.empty() || members[0].name != kManifestName)
    return "no manifest.txt at the start: not a Kestrel backup";
  CheckedBackup checked;
  if (std::string why = ParseManifest(members[0].data, checked.manifest); !why.empty()) return why;
  const auto& listed = checked.manifest.members;
  if (listed.size() != members.size() - 1)
    return "the manifest lists " + std::to_string(listed.size()) + " members, the archive holds " +
           std::to_string(members.size() - 1);
  for (size_t i = 0; i < listed.size(); ++i) {
    const TarMember& m = members[i + 1];
    if (m.name != listed[i].name)
      return "member " + std::to_string(i + 1) + " is " + m.name + ", the manifest lists " +
             listed[i].name;
    for (size_t j = 0; j < i; ++j)
      if (listed[j].name == m.name) return m.name + " is in the archive twice";
    if (Sha256Hex(m.data) != listed[i].sha256)
      return m.name + ": the SHA-256 checksum does not match the manifest: damaged";
  }
  members.erase(members.begin());
  checked.members = std::move(members);
  backup = std::move(checked);
  return {};
}

std::string PackBackup(BackupManifest manifest, const std::vector<TarMember>& members,
                       long long mtime) {
  manifest.members.clear();
  for (const TarMember& m : members)
    manifest.members.push_back({Sha256Hex(m.data), m.name});
  std::vector<TarMember> all;
  all.push_back({kManifestName, FormatManifest(manifest)});
  all.insert(all.end(), members.begin(), members.end());
  return WriteTar(all, mtime);
}

}  // namespace kestrel
