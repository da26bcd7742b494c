#include "platform/dsound/sound_context.h"

#include <algorithm>
#include <cfloat>

namespace dsound_detail {
namespace {

constexpr float kSpeedOfSoundMetresPerSecond = 343.3f;

}  // namespace

DS3DLISTENER DefaultListener() {
    DS3DLISTENER l{};
    l.dwSize = sizeof(DS3DLISTENER);
    l.vOrientFront = {0.0f, 0.0f, 1.0f};
    l.vOrientTop = {0.0f, 1.0f, 0.0f};
    l.flDistanceFactor = 1.0f;
    l.flRolloffFactor = 1.0f;
    l.flDopplerFactor = 1.0f;
    return l;
}

SoundContext::SoundContext(std::shared_ptr<AlDevice> device)
    : m_device(std::move(device)), m_listener(DefaultListener()) {}

ALCcontext* SoundContext::Current() const {
    if (m_bound && m_generation == m_device->Generation()) return m_device->Context();
    return nullptr;
}

ALCcontext* SoundContext::Ensure() {
    ALCcontext* context = m_device->Context();
    if (!context || !m_device->IsConnected()) return nullptr;
    if (Current()) return context;
    m_bound = true;
    m_generation = m_device->Generation();
    m_sources.clear();
    ContextScope scope(context);
    ApplyListener();
    return context;
}

void SoundContext::SetListener(const DS3DLISTENER& listener) {
    m_listener = listener;
    m_listener.dwSize = sizeof(DS3DLISTENER);
    if (Current()) ApplyListener();
}

void SoundContext::ApplyListener() {
    const DS3DLISTENER& l = m_listener;
    // The API's axes are left-handed, OpenAL's right-handed: z turns round.
    alListener3f(AL_POSITION, l.vPosition.x, l.vPosition.y, -l.vPosition.z);
    alListener3f(AL_VELOCITY, l.vVelocity.x, l.vVelocity.y, -l.vVelocity.z);
    const ALfloat orientation[6] = {l.vOrientFront.x, l.vOrientFront.y, -l.vOrientFront.z,
                                    l.vOrientTop.x,   l.vOrientTop.y,   -l.vOrientTop.z};
    alListenerfv(AL_ORIENTATION, orientation);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alDopplerFactor(l.flDopplerFactor);
    // Velocities come in units per second and a unit is flDistanceFactor metres, so the
    // speed of sound in units per second keeps the doppler shift physical.
    alSpeedOfSound(std::min(kSpeedOfSoundMetresPerSecond / l.flDistanceFactor, FLT_MAX));
    for (ALuint source : m_sources) alSourcef(source, AL_ROLLOFF_FACTOR, l.flRolloffFactor);
}

void SoundContext::AddSource(ALuint source) {
    m_sources.insert(source);
    alSourcef(source, AL_ROLLOFF_FACTOR, m_listener.flRolloffFactor);
}

void SoundContext::RemoveSource(ALuint source) { m_sources.erase(source); }

}  // namespace dsound_detail
