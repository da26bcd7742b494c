// The five built-in clips. Each is a whole number of bars or cycles long and built only
// from wrapped events and loop-periodic layers, so it loops without a click.
#pragma once

#include "tools/synth/loop_buffer.h"

constexpr int kClipRate = 22050;
// 120 beats per minute: a beat is exactly 11025 samples.
constexpr double kBeat = 0.5;

LoopBuffer BuildLoopy();
LoopBuffer BuildDrums();
LoopBuffer BuildHelicopter();
LoopBuffer BuildFootsteps();
LoopBuffer BuildJingle();
// Not a loop: the listening test plays it once per direction.
LoopBuffer BuildNoiseBurst();
