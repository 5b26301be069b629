#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/tar_archive.h"

namespace kestrel {

// The manifest of a camera backup: the first member of the archive,
// "manifest.txt", a text of "key=value" lines (CR LF):
//
//   kestrel-backup 1
//   model=HX-9302
//   camera-id=A000000001
//   user-id=LINE3
//   firmware=1.0.2.5
//   fpga1=2.0.1.1
//   fpga2=2.0.1.3
//   current-area=1
//   factory=0
//   date=2026-12-07T05:12:44Z
//   kestrel=0.9.0
//   member=<64 hex digits of SHA-256> <name>   (one line per member, in order)
//
// Unknown keys are refused: a file of a later format is not half-understood.
struct BackupManifest {
  std::string model;
  std::string cameraId;
  std::string userId;
  std::string firmware;
  std::string fpga1;
  std::string fpga2;
  int currentArea = 0;
  bool factory = false;  // the AFE registers and the sensor memory are in it
  std::string date;
  std::string kestrelVersion;
  struct Member {
    std::string sha256;
    std::string name;
  };
  std::vector<Member> members;
};

inline constexpr const char* kManifestName = "manifest.txt";

std::string FormatManifest(const BackupManifest& manifest);
// "" and the manifest filled, or why the text is not a manifest.
std::string ParseManifest(std::string_view text, BackupManifest& manifest);

// A backup whose manifest and every checksum were checked: nothing else is
// ever restored.
struct CheckedBackup {
  BackupManifest manifest;
  std::vector<TarMember> members;  // in manifest order, the manifest left out
  const std::string* Find(std::string_view name) const;
};

// Reads a whole backup archive: "" when it is a ustar archive whose first
// member is a manifest listing every other member once, in order, each with
// its SHA-256; else why not (nothing of such a file may reach the camera).
std::string CheckBackup(std::string_view archive, CheckedBackup& backup);

// The archive of a manifest and members; the manifest's member list is
// filled from the members.
std::string PackBackup(BackupManifest manifest, const std::vector<TarMember>& members,
                       long long mtime);

}  // namespace kestrel
