#pragma once
// Whole-file reads and writes: settings, track files, memory images, fix
// CSVs and dumps all go through here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

enum class ReadStatus { Ok, Missing, Failed };

// Nothing larger is read into memory: no input of this program comes near it.
inline constexpr size_t kMaxReadBytes = size_t{256} << 20;

// Reads the whole file. Missing when it does not exist; Failed when it
// cannot be read, is not a regular file (a folder, a device, a pipe) or is
// larger than kMaxReadBytes; both with a message naming the file.
ReadStatus ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Writes all the bytes to an open descriptor (standard output too),
// continuing after short writes; false with errno set when it fails.
bool WriteAll(int fd, std::string_view bytes);

// Writes the bytes to a temporary file in the target's folder, flushes it to
// the disk and renames it over the target, so that a failed write leaves the
// old file whole. Creates the folder when `createFolder` is set. An existing
// target keeps its permissions; one that is not writable (or not a regular
// file) is refused with the system's reason. A symbolic link is saved
// through: its target is replaced and the link stays. False with a message
// naming the file.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         bool createFolder = false);

}  // namespace ml
