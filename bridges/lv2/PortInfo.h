// What the bridge knows of one port of a plugin, read from its description.
#ifndef WAVE_LV2_PORT_INFO_H
#define WAVE_LV2_PORT_INFO_H

#include <stdint.h>

#include <string>
#include <vector>

#include "Lv2World.h"

namespace wavelv2 {

struct PortInfo {
    enum Type { kAudio, kControl, kMidi, kAtom, kCv, kUnknown };

    uint32_t index = 0;
    std::string symbol;
    std::string name;
    bool input = true;
    Type type = kUnknown;
    // The plugin runs with the port left unconnected.
    bool optional = false;
    // NaN where the plugin gives none.
    float minimum = 0.0f;
    float maximum = 0.0f;
    float defaultValue = 0.0f;
    bool toggled = false;
    bool integer = false;
    // The plugin gives its range as fractions of the sample rate; the range
    // above is in Hz once scaledTo() has been called.
    bool sampleRateRelative = false;

    // "audio", "control", "midi", "atom", "cv", "unknown".
    const char* typeName() const;
    // Clamped to the range the plugin gives; the default, then the minimum,
    // then 0 when it gives none of them.
    float clamp(float value) const;
    float initialValue() const;
    // For a port whose range is relative to the sample rate: the range and
    // default at `sampleRate`, from those at `previousRate` (1 for the
    // plugin's own fractions).
    void scaleTo(double sampleRate, double previousRate);
};

// The ports of `plugin`, in index order.
std::vector<PortInfo> readPorts(const Lv2World& world, const LilvPlugin* plugin);

}  // namespace wavelv2

#endif  // WAVE_LV2_PORT_INFO_H
