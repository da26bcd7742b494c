// A binaural set for tests: the measured KEMAR head of Debian's libmysofa1 with front and
// back exchanged, a stranger's ears as unlike the measured ones as ears get.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/hrtf/hrir_set.h"
#include "platform/hrtf/hrtf_sets.h"

namespace sound_testing {

constexpr char kKemarSofa[] = "/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa";

// Writes the set "Mirrored" at every rate into the folder.
inline void WriteMirroredHead(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (unsigned rate : hrtf::kSetRates) {
        hrtf::HrirMeasurements measured;
        hrtf::OpenAlTable table;
        std::string reason;
        ASSERT_TRUE(hrtf::ReadSofa(kKemarSofa, rate, &measured, &reason)) << reason;
        for (hrtf::HrirMeasurement& m : measured.items) m.azimuth = 180.0f - m.azimuth;
        ASSERT_TRUE(hrtf::BuildOpenAlTable(measured, &table, &reason)) << reason;
        std::ofstream(folder / ("Mirrored-" + std::to_string(rate) + ".mhr"), std::ios::binary)
            << hrtf::EncodeMhr(table);
    }
}

}  // namespace sound_testing
