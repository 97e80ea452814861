// The archive's small vocabulary: the direction of an archive, whether class references are tracked, and
// how its file is opened.
#pragma once

#include <cstdint>

namespace serialization {

enum class WriteRead : std::int32_t { Write = 0, Read = 1 };

// On: a class reference goes through the reference-tracking layer; Off: the class layer alone.
enum class Tracking : std::int32_t { On = 0, Off = 1 };

// Append exists in the stream vocabulary but is refused by the Serializer.
enum class FileMode : std::int32_t { In = 0, Out = 1, Append = 2 };

// First byte of a tracked class reference.
inline constexpr std::uint8_t data_signal = 0;
inline constexpr std::uint8_t no_data_signal = 1;

} // namespace serialization
