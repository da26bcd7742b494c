// The audio work the player does for the insect in the hangar, done straight on OpenAL:
// one looping mono clip as a head-relative source that feeds an EAX reverb, its position
// moved every 15 ms. The yardstick for what the player itself adds.
#pragma once

// Plays the clip (mono, 16 bits) for that long on the default output. 0 when done, 1 when
// there is no output, 2 when the clip cannot be read.
int PlayInsectInHangar(const char* clipPath, double seconds);
