// What the LV2 bridge answers, and with which ids (ext1 on the Java side);
// docs/lv2-bridge.md describes each answer.
#ifndef WAVE_LV2_PROTOCOL_H
#define WAVE_LV2_PROTOCOL_H

namespace wavelv2 {

// Text answers.
const int kCommandAnswerId = 1;  // the answers to the module's commands, "error: ..." included
const int kControlAnswerId = 2;  // "out SYMBOL VALUE": control outputs, ten times a second
const int kJackAnswerId = 4;     // the JACK client: "set up", "active ...", "deactivated"
const int kLogAnswerId = 5;      // "log warning: ...": what the plugin logs

// Data answers, by ext1.
const int kFramesExt1 = 3;  // processed frames, interleaved 32-bit floats
const int kStateExt1 = 6;   // the plugin's state as Turtle text

// Stream ids.
const int kFramesStreamId = 1;  // interleaved 32-bit float frames to process
const int kStateStreamId = 2;   // a state text (from kStateExt1) to restore

// The sample rate of offline processing until "rate" sets another.
const int kDefaultSampleRate = 48000;
// Control outputs are answered this many times a second while active.
const int kControlReportsPerSecond = 10;

const int kApiLevel = 4;
const int kNdkVersion = 21;
const int kTargetMajor = 1;
const int kTargetMinor = 1;
const int kTargetPatch = 4;

}  // namespace wavelv2

#endif  // WAVE_LV2_PROTOCOL_H
