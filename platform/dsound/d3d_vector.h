// Checks on the API's vectors that the listener and the 3D buffers both make.
#pragma once

#include <cmath>

#include "platform/dsound/dsound.h"

namespace dsound_detail {

inline bool Finite(const D3DVECTOR& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
inline bool IsZero(const D3DVECTOR& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

}  // namespace dsound_detail
