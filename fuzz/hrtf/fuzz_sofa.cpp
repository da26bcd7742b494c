// The SOFA reader on arbitrary bytes: whatever it accepts holds only finite responses of
// one length per ear, and a small enough set goes on into a data set file that the
// format's own limits accept.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input_file.h"
#include "platform/hrtf/hrir_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteFuzzInput("fuzz-sofa", data, size);
    hrtf::HrirMeasurements measured;
    std::string reason;
    // The seed's own rate: no resampling, so the fuzzer spends its time in the reader.
    if (!hrtf::ReadSofa(path, 44100, &measured, &reason)) {
        if (reason.empty()) std::abort();
        return 0;
    }
    if (measured.items.empty()) std::abort();
    for (const hrtf::HrirMeasurement& m : measured.items) {
        if (m.left.empty() || m.right.empty()) std::abort();
        for (float v : m.left)
            if (!std::isfinite(v)) std::abort();
        for (float v : m.right)
            if (!std::isfinite(v)) std::abort();
    }
    // Turning a full set into a table takes a second; the small ones show the edges.
    if (measured.items.size() * measured.items.front().left.size() > 64 * 1024) return 0;
    hrtf::OpenAlTable table;
    if (!hrtf::BuildOpenAlTable(measured, &table, &reason)) return 0;
    const std::string file = hrtf::EncodeMhr(table);
    if (hrtf::MhrRate(file) != 44100) std::abort();
    for (std::uint8_t delay : table.delays)
        if (delay > 63) std::abort();
    return 0;
}
