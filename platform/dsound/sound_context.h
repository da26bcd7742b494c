// What one sound-device object owns on the shared OpenAL device: its context (made on
// first need, rebuilt after the device came back), the listener of that context, and
// the sources whose rolloff follows the listener.
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
    ~SoundContext();
    SoundContext(const SoundContext&) = delete;
    SoundContext& operator=(const SoundContext&) = delete;

    AlDevice& Device() { return *m_device; }
    std::recursive_mutex& Mutex() { return m_device->Mutex(); }

    // Everything below expects Mutex() to be held.

    // A usable context, made (again) when needed. Null while the device is lost.
    ALCcontext* Ensure();
    // The context if it is still of the device's generation, without making one.
    ALCcontext* Current() const;
    // Increases each time a new context replaces the old one; objects made in an older
    // epoch are gone.
    unsigned Epoch() const { return m_epoch; }

    const DS3DLISTENER& Listener() const { return m_listener; }
    // Applies the listener to the current context (which the caller made current).
    void SetListener(const DS3DLISTENER& listener);

    void AddSource(ALuint source);
    void RemoveSource(ALuint source);

private:
    void ApplyListener();

    std::shared_ptr<AlDevice> m_device;
    ALCcontext* m_context = nullptr;
    unsigned m_generation = 0;
    unsigned m_epoch = 0;
    DS3DLISTENER m_listener;
    std::set<ALuint> m_sources;
};

}  // namespace dsound_detail
