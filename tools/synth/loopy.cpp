// A four-bar phrase over C - Am - F - G: plucked melody, bass, pad and a light shaker.
#include "tools/synth/clips.h"
#include "tools/synth/instruments.h"

namespace {

struct Note {
    double beat;
    int midi;
    double beats;
};

constexpr Note kMelody[] = {
    {0, 76, .5}, {.5, 79, .5}, {1, 81, .5}, {1.5, 79, .5}, {2, 76, 1}, {3, 74, .5}, {3.5, 72, .5},
    {4, 72, .5}, {4.5, 76, .5}, {5, 79, 1}, {6, 81, .5}, {6.5, 79, .5}, {7, 76, 1},
    {8, 81, .5}, {8.5, 84, .5}, {9, 81, .5}, {9.5, 79, .5}, {10, 77, 1}, {11, 76, .5}, {11.5, 74, .5},
    {12, 74, .5}, {12.5, 79, .5}, {13, 83, 1}, {14, 81, .5}, {14.5, 79, .5}, {15, 74, 1},
};

// Root, third and fifth of each bar's chord; the bass plays the root an octave down.
constexpr int kChords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};

}  // namespace

LoopBuffer BuildLoopy() {
    LoopBuffer out(kClipRate, 16 * kBeat);
    LoopBuffer lead(kClipRate, 16 * kBeat);
    for (const Note& n : kMelody) {
        AddPluck(lead, n.beat * kBeat, NoteHz(n.midi), n.beats * kBeat * 0.9, 0.30);
        // A quiet echo a dotted eighth later gives the phrase its bounce.
        AddPluck(lead, (n.beat + 0.75) * kBeat, NoteHz(n.midi), n.beats * kBeat * 0.6, 0.10);
    }
    out.Mix(lead, 1.0f);

    for (int bar = 0; bar < 4; ++bar) {
        const double barStart = bar * 4 * kBeat;
        for (int note : kChords[bar]) AddPad(out, barStart, NoteHz(note), 4 * kBeat * 0.92, 0.07);
        const int root = kChords[bar][0] - 24;
        constexpr int kBassSteps[] = {0, 0, 7, 12, 0, 7, 10, 12};
        for (int step = 0; step < 8; ++step) {
            AddBass(out, barStart + step * kBeat / 2, NoteHz(root + kBassSteps[step]), kBeat / 2 * 0.8, 0.22);
        }
    }

    Noise noise(0x100B1);
    for (int eighth = 0; eighth < 32; ++eighth) {
        const double accent = eighth % 2 == 1 ? 0.05 : 0.025;
        AddNoiseBurst(out, noise, eighth * kBeat / 2, 0.004, 0.03, 7000.0, 1.2, accent);
    }
    Normalize(out, 0.85f);
    return out;
}
