// What the example module answers, and with which ids. A module and its Java
// peer agree on these; the host passes them through untouched.
#ifndef WAVE_DEMO_PROTOCOL_H
#define WAVE_DEMO_PROTOCOL_H

namespace wavedemo {

// Text answers, by their id (ext1 on the Java side).
const int kCommandAnswerId = 1;  // answers to custom commands ("gain 3")
const int kLevelAnswerId = 2;    // "level N" from the module's own thread
const int kStreamAnswerId = 3;   // "stream <id> <length> adler32 <hex>"
const int kJackAnswerId = 4;     // what the JACK client did ("set up: ...")

// The data block sent after the levels, by its ext1.
const int kLevelBlockExt1 = 2;

// How many levels one activation reports, and how far apart.
const int kLevelCount = 5;
const int kLevelPeriodMs = 40;
const int kMaxLevelCount = 64;
// How far apart the real meter's levels are, with a JACK server.
const int kMeterPeriodMs = 200;

// The module's API level and the contract version it was built against.
const int kApiLevel = 4;
const int kNdkVersion = 21;
const int kTargetMajor = 1;
const int kTargetMinor = 1;
const int kTargetPatch = 4;

}  // namespace wavedemo

#endif  // WAVE_DEMO_PROTOCOL_H
