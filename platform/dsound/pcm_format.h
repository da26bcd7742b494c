// The PCM formats a 3D buffer takes, and their conversion to what OpenAL positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/mmio/mmsystem.h"

namespace dsound_detail {

// Exactly the formats the wave-out query accepts (IsPlayablePcmFormat): integer PCM of
// 8, 16, 24 or 32 bits, plain or extensible, in one to eight channels.
bool IsAcceptedPcmFormat(const WAVEFORMATEX& format);

// OpenAL positions only mono sources, so every clip becomes one channel of the narrowest
// sample OpenAL takes that keeps its resolution: unsigned 8 bits, signed 16 bits, or
// float for 24 and 32 bits.
enum class MonoSamples { Unsigned8, Signed16, Float32 };
MonoSamples MonoSamplesFor(const WAVEFORMATEX& format);

// A mono clip of 8 or 16 bits is already what OpenAL takes, byte for byte.
bool IsMonoAsItIs(const WAVEFORMATEX& format);

// Every whole frame averaged over its channels, as MonoSamplesFor says; a trailing
// partial frame is dropped.
std::vector<std::uint8_t> MixToMono(const std::uint8_t* data, std::size_t bytes, const WAVEFORMATEX& format);

// Frame `frame` averaged over its channels, on the signed 16-bit scale (for the fades).
double MonoSampleAt(const std::uint8_t* data, std::size_t frame, const WAVEFORMATEX& format);

}  // namespace dsound_detail
