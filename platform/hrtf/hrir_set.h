// Head-related impulse responses on their way from a measured file to OpenAL Soft's own
// data set format: the measurements as read, and the table OpenAL Soft renders from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hrtf {

// One measured direction: the impulse response at each ear for a source there.
// Azimuth counter-clockwise from the front (90 = left), elevation up, in degrees, as
// the measured files give them.
struct HrirMeasurement {
    float azimuth = 0;
    float elevation = 0;
    float distance = 0;  // metres
    std::vector<float> left;
    std::vector<float> right;
};

struct HrirMeasurements {
    unsigned rate = 0;
    std::vector<HrirMeasurement> items;
};

// Reads a SOFA file, resampled to the given rate. False with a reason the user can act on
// when the file cannot be used. The path must name a regular file: it is read as it is.
bool ReadSofa(const std::string& path, unsigned rate, HrirMeasurements* out, std::string* reason);

// The table of one OpenAL Soft data set: elevations from straight down to straight up in
// equal steps, each a ring of azimuths clockwise from the front; per direction a
// minimum-phase response per ear and each ear's delay before it, in samples.
struct OpenAlTable {
    unsigned rate = 0;
    unsigned irSize = 0;
    unsigned distanceMm = 0;
    std::vector<std::uint8_t> azimuthCounts;  // per elevation, bottom up
    std::vector<float> coefficients;          // [direction][irSize][2 ears]
    std::vector<std::uint8_t> delays;         // [direction][2 ears]
};

// Fills every direction of the table from the nearest measurement, with the delays
// taken from the measured responses' onsets.
bool BuildOpenAlTable(const HrirMeasurements& measured, OpenAlTable* out, std::string* reason);

// OpenAL Soft 1.19's file format for a data set ("MinPHR02", 24-bit, both ears).
std::string EncodeMhr(const OpenAlTable& table);
// The rate a data set file's header names; 0 when the bytes are not a data set.
unsigned MhrRate(const std::string& bytes);

// The minimum-phase response with the magnitude of the given one, cut to length.
std::vector<float> MinimumPhase(const std::vector<float>& response, std::size_t length);

}  // namespace hrtf
