#include "tools/artgen/palette.h"

#include "tools/artgen/theme.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace artgen {
namespace {

constexpr int kMaxColours = 256;

bool IsRemappedGrey(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    return r == g && g == b && (r == 128 || r == 192 || r == 223);
}

QRgb Safe(QRgb c) { return IsRemappedGrey(c) ? qRgb(qRed(c), qGreen(c), qBlue(c) + 1) : c; }

struct Weighted {
    QRgb colour;
    long count;
};

using Box = std::vector<Weighted>;

int Channel(QRgb c, int axis) { return axis == 0 ? qRed(c) : axis == 1 ? qGreen(c) : qBlue(c); }

// The axis of widest spread and that spread.
std::pair<int, int> WidestAxis(const Box& box) {
    int best = 0, spread = -1;
    for (int axis = 0; axis < 3; ++axis) {
        int lo = 255, hi = 0;
        for (const Weighted& w : box) {
            lo = std::min(lo, Channel(w.colour, axis));
            hi = std::max(hi, Channel(w.colour, axis));
        }
        if (hi - lo > spread) { spread = hi - lo; best = axis; }
    }
    return {best, spread};
}

QRgb Mean(const Box& box) {
    double r = 0, g = 0, b = 0, n = 0;
    for (const Weighted& w : box) {
        r += qRed(w.colour) * double(w.count);
        g += qGreen(w.colour) * double(w.count);
        b += qBlue(w.colour) * double(w.count);
        n += double(w.count);
    }
    return qRgb(int(r / n + 0.5), int(g / n + 0.5), int(b / n + 0.5));
}

std::vector<Box> MedianCut(Box all, int boxes) {
    std::vector<Box> result;
    if (all.empty() || boxes <= 0) return result;
    result.push_back(std::move(all));
    while (int(result.size()) < boxes) {
        // Split the box whose spread weighs most: wide boxes of many pixels first.
        int pick = -1;
        double score = 0;
        for (int i = 0; i < int(result.size()); ++i) {
            if (result[i].size() < 2) continue;
            long pixels = 0;
            for (const Weighted& w : result[i]) pixels += w.count;
            const double s = double(WidestAxis(result[i]).second) * std::sqrt(double(pixels));
            if (s > score) { score = s; pick = i; }
        }
        if (pick < 0) break;
        Box& box = result[pick];
        const int axis = WidestAxis(box).first;
        std::sort(box.begin(), box.end(), [axis](const Weighted& a, const Weighted& b) {
            return Channel(a.colour, axis) != Channel(b.colour, axis)
                       ? Channel(a.colour, axis) < Channel(b.colour, axis)
                       : a.colour < b.colour;
        });
        long total = 0;
        for (const Weighted& w : box) total += w.count;
        long run = 0;
        std::size_t cut = 1;
        for (; cut < box.size(); ++cut) {
            run += box[cut - 1].count;
            if (run * 2 >= total) break;
        }
        // Both halves keep at least one colour even when one colour outweighs the rest.
        cut = std::min(cut, box.size() - 1);
        Box upper(box.begin() + long(cut), box.end());
        box.resize(cut);
        result.push_back(std::move(upper));
    }
    return result;
}

}  // namespace

QList<QRgb> ChoosePalette(const std::vector<QImage>& images) {
    QList<QRgb> palette;
    auto add = [&palette](QRgb c) {
        c = Safe(c) | 0xFF000000u;
        if (palette.size() < kMaxColours && !palette.contains(c)) palette.push_back(c);
    };
    add(qRgb(0, 0, 0));
    add(qRgb(255, 255, 255));
    for (const QColor& c : theme::Surfaces()) add(c.rgb());
    for (const QColor& c : theme::Inks()) add(c.rgb());

    std::map<QRgb, long> histogram;
    for (const QImage& source : images) {
        const QImage image = source.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) ++histogram[line[x] | 0xFF000000u];
        }
    }
    Box rest;
    for (const auto& [colour, count] : histogram)
        if (!palette.contains(colour)) rest.push_back({colour, count});
    for (const Box& box : MedianCut(std::move(rest), kMaxColours - int(palette.size()))) add(Mean(box));
    return palette;
}

QImage ToPalette(const QImage& image, const QList<QRgb>& palette) {
    return image.convertToFormat(QImage::Format_RGB32)
        .convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::AvoidDither);
}

}  // namespace artgen
