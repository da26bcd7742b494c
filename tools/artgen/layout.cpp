#include "tools/artgen/layout.h"

#include <stdexcept>

namespace artgen {

const Button& ButtonOfRegion(int region) {
    for (const Button& b : kButtons)
        if (b.region == region) return b;
    throw std::out_of_range("no button for region");
}

QRect ArtBox(const Button& button) {
    const QRect box(QPoint(0, 0), button.dest.size());
    // Where the background shows this box, relative to the cover's destination corner.
    const QPoint shown = button.normalSrc + kPanelShift;
    const QRect cover = ButtonOfRegion(button.coveredBy).dest;
    return box & cover.translated(-shown);
}

}  // namespace artgen
