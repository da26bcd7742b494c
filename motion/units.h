// View units (the room view's -1..1) against sound units (the source's -3..3 cube).
#pragma once

#include "audio/vec3.h"

constexpr float kViewToSound = 3.0f;
// A multiplication by the single-precision third, not a division by 3: 3 sound units
// come back as exactly 1 view unit.
constexpr float kSoundToView = 0.33333334f;

constexpr Vec3 ViewToSound(Vec3 v) { return Vec3{v.x * kViewToSound, v.y * kViewToSound, v.z * kViewToSound}; }
constexpr Vec3 SoundToView(Vec3 v) { return Vec3{v.x * kSoundToView, v.y * kSoundToView, v.z * kSoundToView}; }
