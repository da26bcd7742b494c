// What one sound-device object keeps on the process's output: its listener and the
// sources whose rolloff follows it. The OpenAL context is the output's; this view binds
// to it when it first needs it and again after the output was reopened.
#pragma once

#include <memory>
#include <mutex>
#include <set>

#include "platform/dsound/al_device.h"
#include "platform/dsound/dsound.h"

namespace dsound_detail {

// The platform's listener before anything is set.
DS3DLISTENER DefaultListener();

class SoundContext {
public:
    explicit SoundContext(std::shared_ptr<AlDevice> device);
    SoundContext(const SoundContext&) = delete;
    SoundContext& operator=(const SoundContext&) = delete;

    AlDevice& Device() { return *m_device; }
    std::recursive_mutex& Mutex() { return m_device->Mutex(); }

    // Everything below expects Mutex() to be held.

    // The output's context with this view bound to it (its listener applied), or null
    // while the output is lost.
    ALCcontext* Ensure();
    // The context if this view is bound to the output as it is now, without binding.
    ALCcontext* Current() const;

    const DS3DLISTENER& Listener() const { return m_listener; }
    // Applies the listener to the current context (which the caller made current).
    void SetListener(const DS3DLISTENER& listener);

    void AddSource(ALuint source);
    void RemoveSource(ALuint source);

private:
    void ApplyListener();

    std::shared_ptr<AlDevice> m_device;
    bool m_bound = false;
    unsigned m_generation = 0;
    DS3DLISTENER m_listener;
    std::set<ALuint> m_sources;
};

}  // namespace dsound_detail
