// A short showcase jingle: a rising bell arpeggio over a swelling swoosh, a cadence of
// brass stabs with drums, and a shimmering final chord that rings back into the start.
#include <cmath>

#include "tools/synth/clips.h"
#include "tools/synth/instruments.h"

namespace {

constexpr double kSeconds = 16 * kBeat;

// A swoosh: filtered noise rising in level over the first two bars, cut off softly.
void AddRiser(LoopBuffer& out, Noise& noise) {
    LoopBuffer riser(out.Rate(), out.Seconds());
    const double rate = out.Rate();
    const long length = static_cast<long>(8 * kBeat * rate);
    for (long n = 0; n < length; ++n) {
        const double x = static_cast<double>(n) / length;
        const double env = x * x * (0.5 + 0.5 * std::cos(kPi * std::fmax(0.0, x - 0.9) / 0.1));
        riser.At(n) = static_cast<float>(noise.White() * env);
    }
    FilterAroundLoop(riser, Biquad::BandPass(rate, 2500.0, 0.6));
    out.Mix(riser, 0.18f);
}

}  // namespace

LoopBuffer BuildJingle() {
    LoopBuffer out(kClipRate, kSeconds);
    Noise noise(0x7E17);
    // Bars 1-2: C major arpeggio climbing two octaves in eighths.
    constexpr int kArpeggio[] = {60, 64, 67, 72, 76, 79, 84, 88, 91, 88, 84, 79, 84, 88, 91, 96};
    for (int i = 0; i < 16; ++i) AddBell(out, i * kBeat / 2, NoteHz(kArpeggio[i]), 0.16);
    AddRiser(out, noise);

    // Bar 3: F - G stabs, bar 4: the held C chord.
    struct Stab {
        double beat;
        int root;
        double beats;
    };
    constexpr Stab kStabs[] = {{8, 53, 0.5}, {9, 53, 0.5}, {10, 55, 0.5}, {11, 55, 0.5}, {12, 48, 2.5}};
    for (const Stab& s : kStabs) {
        for (int interval : {0, 4, 7, 12}) {  // all three chords are major
            AddStab(out, s.beat * kBeat, NoteHz(s.root + 12 + interval), s.beats * kBeat, 0.09);
        }
        AddBass(out, s.beat * kBeat, NoteHz(s.root - 12), s.beats * kBeat, 0.25);
    }
    for (double beat : {8.0, 9.0, 10.0, 11.0, 12.0}) AddKick(out, beat * kBeat, 0.7);
    for (double beat : {9.0, 11.0}) AddSnare(out, noise, beat * kBeat, 0.45);
    AddHat(out, noise, 12 * kBeat, true, 0.3);
    // Sparkle over the final chord.
    constexpr int kSparkle[] = {96, 100, 103, 108};
    for (int i = 0; i < 4; ++i) AddBell(out, (12.5 + i * 0.5) * kBeat, NoteHz(kSparkle[i]), 0.07);
    Normalize(out, 0.88f);
    return out;
}
