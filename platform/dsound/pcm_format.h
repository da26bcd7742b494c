// The PCM formats a 3D buffer takes, and their conversion to what OpenAL positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/mmio/mmsystem.h"

namespace dsound_detail {

// Exactly the formats the wave-out query accepts: PCM, 1-2 channels, 8 or 16 bits,
// 8000..96000 Hz, block align and average rate consistent with them.
bool IsAcceptedPcmFormat(const WAVEFORMATEX& format);

// OpenAL positions only mono sources, so every clip becomes signed 16-bit mono: 8-bit
// samples are re-centred and widened, stereo frames are averaged. A trailing partial
// frame is dropped.
std::vector<std::int16_t> ToMono16(const std::uint8_t* data, std::size_t bytes, const WAVEFORMATEX& format);

}  // namespace dsound_detail
