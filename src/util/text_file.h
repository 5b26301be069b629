#pragma once

#include <string>
#include <vector>

namespace kestrel {

// Writes the whole content to a temporary file in the target's folder and
// renames it over the target, so a failed or interrupted save leaves the old
// file whole and never a half file. False (with the reason in *error) when any
// step fails; the temporary file is then removed.
bool WriteFileAtomically(const std::string& path, const std::string& content,
                         std::string* error = nullptr);

// Joins lines with CR LF after each, the line end of every file the program writes.
std::string JoinCrLf(const std::vector<std::string>& lines);

// Splits text into lines at LF, dropping one CR before each LF, so LF and CR LF
// files read alike. A last line without a line end counts; a final line end does
// not start another line.
std::vector<std::string> SplitLines(const std::string& text);

// Reads a whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

// The folder of a path: the text before its last '/', or "" when there is none.
std::string FolderOf(const std::string& path);

}  // namespace kestrel
