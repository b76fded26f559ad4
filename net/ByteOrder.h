// Byte writers for the datagrams the probes build.
#pragma once

#include <cstdint>

namespace kelvane {

inline void WriteU16BE(std::uint8_t* destination, std::uint16_t value) {
  destination[0] = static_cast<std::uint8_t>(value >> 8);
  destination[1] = static_cast<std::uint8_t>(value);
}

inline void WriteU32BE(std::uint8_t* destination, std::uint32_t value) {
  destination[0] = static_cast<std::uint8_t>(value >> 24);
  destination[1] = static_cast<std::uint8_t>(value >> 16);
  destination[2] = static_cast<std::uint8_t>(value >> 8);
  destination[3] = static_cast<std::uint8_t>(value);
}

inline void WriteU32LE(std::uint8_t* destination, std::uint32_t value) {
  destination[0] = static_cast<std::uint8_t>(value);
  destination[1] = static_cast<std::uint8_t>(value >> 8);
  destination[2] = static_cast<std::uint8_t>(value >> 16);
  destination[3] = static_cast<std::uint8_t>(value >> 24);
}

}  // namespace kelvane
