// A count of the layer's live COM-shaped objects, so tests can see that releases balance.
#pragma once

namespace dsound_detail {

void CountObjectCreated();
void CountObjectDestroyed();
int LiveObjects();

// Member of every layer object: counts it for as long as it exists.
class LiveObjectToken {
public:
    LiveObjectToken() { CountObjectCreated(); }
    ~LiveObjectToken() { CountObjectDestroyed(); }
    LiveObjectToken(const LiveObjectToken&) = delete;
    LiveObjectToken& operator=(const LiveObjectToken&) = delete;
};

}  // namespace dsound_detail
