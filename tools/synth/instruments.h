// The voices the clips are made of. Each adds one event into a loop at a start time in
// seconds; tails that run past the end of the loop continue at its start.
#pragma once

#include "tools/synth/dsp.h"
#include "tools/synth/loop_buffer.h"

// A plucked, bright tone: decaying harmonics, the upper ones dying first.
void AddPluck(LoopBuffer& out, double start, double hz, double seconds, double gain);
// A round bass note held for its length, then released.
void AddBass(LoopBuffer& out, double start, double hz, double seconds, double gain);
// A soft, slowly swelling chord tone with a little detune between two voices.
void AddPad(LoopBuffer& out, double start, double hz, double seconds, double gain);
// A bell: inharmonic partials with long, unequal decays.
void AddBell(LoopBuffer& out, double start, double hz, double gain);
// A brass-like stab whose brightness closes as it decays.
void AddStab(LoopBuffer& out, double start, double hz, double seconds, double gain);

void AddKick(LoopBuffer& out, double start, double gain);
void AddSnare(LoopBuffer& out, Noise& noise, double start, double gain);
void AddHat(LoopBuffer& out, Noise& noise, double start, bool open, double gain);

// A short filtered noise event with a linear attack and exponential decay, band-limited
// around centreHz; the building block of clicks, taps and swooshes.
void AddNoiseBurst(LoopBuffer& out, Noise& noise, double start, double attack, double decay,
                   double centreHz, double q, double gain);
// A damped sine: a struck resonance.
void AddRing(LoopBuffer& out, double start, double hz, double decay, double gain);
