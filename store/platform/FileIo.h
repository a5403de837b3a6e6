#pragma once
// Whole-file reads and writes for the settings and track files.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

enum class ReadStatus { Ok, Missing, Failed };

// Reads the whole file. Missing when it does not exist; Failed (with a
// message naming the file) when it exists but cannot be read.
ReadStatus ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Writes the bytes to a temporary file in the target's folder, flushes it to
// the disk and renames it over the target, so that a failed write leaves the
// old file whole. Creates the folder when `createFolder` is set. An existing
// target keeps its permissions. False with a message naming the file.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         bool createFolder = false);

}  // namespace ml
