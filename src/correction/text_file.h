#pragma once

#include <string>

namespace kestrel {

// Reads a whole file; false when it cannot be opened or read.
bool ReadTextFile(const std::string& path, std::string& out);

// Writes contents (line ends already CR LF) to a temporary file in the target's
// folder, flushes it to disk and renames it over the target, so a failure at
// any point leaves an existing file whole. False on any failure.
bool WriteFileAtomically(const std::string& path, const std::string& contents);

}  // namespace kestrel
