// Three single-precision coordinates: positions and velocities, in view or sound units.
#pragma once

struct Vec3 {
    float x;
    float y;
    float z;
};
