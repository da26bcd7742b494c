// A four-bar groove: kick, snare with ghost notes, eighth-note hats and a fill in bar 4.
#include "tools/synth/clips.h"
#include "tools/synth/instruments.h"

LoopBuffer BuildDrums() {
    LoopBuffer out(kClipRate, 16 * kBeat);
    Noise noise(0xD0D5);
    const double sixteenth = kBeat / 4;
    for (int bar = 0; bar < 4; ++bar) {
        const double barStart = bar * 4 * kBeat;
        auto at = [&](int step) { return barStart + step * sixteenth; };
        for (int step : {0, 7, 8}) AddKick(out, at(step), 0.9);
        if (bar % 2 == 1) AddKick(out, at(10), 0.7);
        AddSnare(out, noise, at(4), 0.55);
        if (bar < 3) {
            AddSnare(out, noise, at(12), 0.55);
            if (bar == 1) AddSnare(out, noise, at(15), 0.15);  // ghost note
        } else {
            for (int step : {12, 13, 14, 15}) AddSnare(out, noise, at(step), 0.25 + 0.1 * (step - 12));
        }
        for (int step = 0; step < 16; step += 2) {
            const bool open = bar < 3 && step == 14;
            AddHat(out, noise, at(step), open, step % 4 == 0 ? 0.38 : 0.28);
        }
        if (bar < 3) AddHat(out, noise, at(11), false, 0.10);
    }
    Normalize(out, 0.9f);
    return out;
}
