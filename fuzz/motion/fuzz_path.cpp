// The recorded-path reader on arbitrary bytes: it must stay inside its arrays and hand
// back only finite view coordinates and a count within the capacity.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "motion/path_file.h"
#include "motion/spatial_player.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (file == nullptr) {
        return 0;
    }
    // Exactly the capacity on the heap, so any write past it is reported.
    std::vector<float> xs(kMaxPathPoints), ys(kMaxPathPoints), zs(kMaxPathPoints);
    const int count = ReadPathPoints(file, xs.data(), ys.data(), zs.data(), kMaxPathPoints);
    std::fclose(file);
    if (count < 0 || count > kMaxPathPoints) {
        std::abort();
    }
    for (int i = 0; i < kMaxPathPoints; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i]) || !std::isfinite(zs[i])) {
            std::abort();
        }
    }
    return 0;
}
