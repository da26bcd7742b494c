#include "platform/dsound/source_geometry.h"

#include "platform/dsound/i3dl2_reverb.h"

namespace dsound_detail {
namespace {

bool Positioned(DWORD flags, const DS3DBUFFER& p) { return (flags & DSBCAPS_CTRL3D) && p.dwMode != DS3DMODE_DISABLE; }

// Head-relative positions are OpenAL's source-relative ones; a buffer without 3D
// processing sits in the listener's head.
ALint Relative(DWORD flags, const DS3DBUFFER& p) {
    return !Positioned(flags, p) || p.dwMode == DS3DMODE_HEADRELATIVE ? AL_TRUE : AL_FALSE;
}

// The API's axes are left-handed, OpenAL's right-handed: z turns round.
struct AlVector {
    ALfloat x, y, z;
    bool operator!=(const AlVector& o) const { return x != o.x || y != o.y || z != o.z; }
};
AlVector ToAl(const D3DVECTOR& v) { return {v.x, v.y, -v.z}; }

AlVector PositionOf(DWORD flags, const DS3DBUFFER& p) {
    return Positioned(flags, p) ? ToAl(p.vPosition) : AlVector{0.0f, 0.0f, 0.0f};
}
AlVector VelocityOf(DWORD flags, const DS3DBUFFER& p) {
    return Positioned(flags, p) ? ToAl(p.vVelocity) : AlVector{0.0f, 0.0f, 0.0f};
}

void Send3f(ALuint source, ALenum param, const AlVector& v) { alSource3f(source, param, v.x, v.y, v.z); }

}  // namespace

void SendGeometry(ALuint source, DWORD flags, const DS3DBUFFER& now, const DS3DBUFFER* before) {
    const bool all = before == nullptr;
    if (all || Relative(flags, now) != Relative(flags, *before)) alSourcei(source, AL_SOURCE_RELATIVE, Relative(flags, now));
    if (all || PositionOf(flags, now) != PositionOf(flags, *before)) Send3f(source, AL_POSITION, PositionOf(flags, now));
    if (all || VelocityOf(flags, now) != VelocityOf(flags, *before)) Send3f(source, AL_VELOCITY, VelocityOf(flags, now));
    if (all || now.dwInsideConeAngle != before->dwInsideConeAngle)
        alSourcef(source, AL_CONE_INNER_ANGLE, static_cast<ALfloat>(now.dwInsideConeAngle));
    if (all || now.dwOutsideConeAngle != before->dwOutsideConeAngle)
        alSourcef(source, AL_CONE_OUTER_ANGLE, static_cast<ALfloat>(now.dwOutsideConeAngle));
    if (all || ToAl(now.vConeOrientation) != ToAl(before->vConeOrientation))
        Send3f(source, AL_DIRECTION, ToAl(now.vConeOrientation));
    if (all || now.lConeOutsideVolume != before->lConeOutsideVolume)
        alSourcef(source, AL_CONE_OUTER_GAIN, GainFromMillibels(now.lConeOutsideVolume));
    if (all || now.flMinDistance != before->flMinDistance) alSourcef(source, AL_REFERENCE_DISTANCE, now.flMinDistance);
    if (all || now.flMaxDistance != before->flMaxDistance) alSourcef(source, AL_MAX_DISTANCE, now.flMaxDistance);
}

}  // namespace dsound_detail
