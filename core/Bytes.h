#pragma once
// Little-endian integers in byte buffers: the loggers' memory, their
// packages and the track file all store numbers lowest byte first. Reads
// never go past the span: a value that does not fit whole reads as 0, so a
// caller that has not checked a length gets a wrong number, never a crash.
// Writes into a span likewise leave it alone when the value does not fit.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ml {

template <typename T>
T ReadLe(std::span<const uint8_t> bytes, size_t at = 0) {
    if (at > bytes.size() || bytes.size() - at < sizeof(T)) return 0;
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(bytes[at + i]) << (8 * i));
    return value;
}

inline uint16_t ReadLe16(std::span<const uint8_t> bytes, size_t at = 0) { return ReadLe<uint16_t>(bytes, at); }
inline uint32_t ReadLe32(std::span<const uint8_t> bytes, size_t at = 0) { return ReadLe<uint32_t>(bytes, at); }
inline uint64_t ReadLe64(std::span<const uint8_t> bytes, size_t at = 0) { return ReadLe<uint64_t>(bytes, at); }

template <typename T>
void WriteLe(std::span<uint8_t> bytes, size_t at, T value) {
    if (at > bytes.size() || bytes.size() - at < sizeof(T)) return;
    for (size_t i = 0; i < sizeof(T); ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void WriteLe16(std::span<uint8_t> bytes, size_t at, uint16_t value) { WriteLe(bytes, at, value); }
inline void WriteLe32(std::span<uint8_t> bytes, size_t at, uint32_t value) { WriteLe(bytes, at, value); }

template <typename T>
void AppendLe(std::vector<uint8_t>& out, T value) {
    for (size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void AppendLe16(std::vector<uint8_t>& out, uint16_t value) { AppendLe(out, value); }
inline void AppendLe32(std::vector<uint8_t>& out, uint32_t value) { AppendLe(out, value); }
inline void AppendLe64(std::vector<uint8_t>& out, uint64_t value) { AppendLe(out, value); }

}  // namespace ml
