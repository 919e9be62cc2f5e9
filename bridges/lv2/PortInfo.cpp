#include "PortInfo.h"

#include <cmath>

namespace wavelv2 {

namespace {

PortInfo::Type portType(const Lv2World& world, const LilvPlugin* plugin, const LilvPort* port) {
    const Lv2World::Terms& terms = world.terms();
    if (lilv_port_is_a(plugin, port, terms.audioPort.get())) return PortInfo::kAudio;
    if (lilv_port_is_a(plugin, port, terms.controlPort.get())) return PortInfo::kControl;
    if (lilv_port_is_a(plugin, port, terms.cvPort.get())) return PortInfo::kCv;
    if (lilv_port_is_a(plugin, port, terms.atomPort.get())) {
        return lilv_port_supports_event(plugin, port, terms.midiEvent.get()) ? PortInfo::kMidi
                                                                             : PortInfo::kAtom;
    }
    return PortInfo::kUnknown;
}

std::string nodeText(LilvNode* node) {
    std::string text = node != nullptr ? lilv_node_as_string(node) : "";
    lilv_node_free(node);
    return text;
}

}  // namespace

const char* PortInfo::typeName() const {
    switch (type) {
        case kAudio:
            return "audio";
        case kControl:
            return "control";
        case kMidi:
            return "midi";
        case kAtom:
            return "atom";
        case kCv:
            return "cv";
        case kUnknown:
            break;
    }
    return "unknown";
}

float PortInfo::clamp(float value) const {
    if (!std::isnan(minimum) && value < minimum) return minimum;
    if (!std::isnan(maximum) && value > maximum) return maximum;
    return value;
}

float PortInfo::initialValue() const {
    if (!std::isnan(defaultValue)) return clamp(defaultValue);
    if (!std::isnan(minimum)) return minimum;
    return clamp(0.0f);
}

void PortInfo::scaleTo(double sampleRate, double previousRate) {
    if (!sampleRateRelative || previousRate <= 0.0) return;
    const double factor = sampleRate / previousRate;
    minimum = static_cast<float>(minimum * factor);
    maximum = static_cast<float>(maximum * factor);
    defaultValue = static_cast<float>(defaultValue * factor);
}

std::vector<PortInfo> readPorts(const Lv2World& world, const LilvPlugin* plugin) {
    const uint32_t count = lilv_plugin_get_num_ports(plugin);
    std::vector<float> minimums(count), maximums(count), defaults(count);
    lilv_plugin_get_port_ranges_float(plugin, minimums.data(), maximums.data(), defaults.data());
    const Lv2World::Terms& terms = world.terms();
    std::vector<PortInfo> ports(count);
    for (uint32_t i = 0; i < count; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        PortInfo& info = ports[i];
        info.index = i;
        info.symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        info.name = nodeText(lilv_port_get_name(plugin, port));
        info.input = lilv_port_is_a(plugin, port, terms.inputPort.get());
        info.type = portType(world, plugin, port);
        info.optional = lilv_port_has_property(plugin, port, terms.connectionOptional.get());
        info.minimum = minimums[i];
        info.maximum = maximums[i];
        info.defaultValue = defaults[i];
        info.toggled = lilv_port_has_property(plugin, port, terms.toggled.get());
        info.integer = lilv_port_has_property(plugin, port, terms.integer.get());
        info.sampleRateRelative = lilv_port_has_property(plugin, port, terms.sampleRate.get());
    }
    return ports;
}

}  // namespace wavelv2
