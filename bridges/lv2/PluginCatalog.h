// The list of installed plugins that the module's "plugins" command answers:
// one summary a plugin, optionally filtered.
#ifndef WAVE_LV2_PLUGIN_CATALOG_H
#define WAVE_LV2_PLUGIN_CATALOG_H

#include <string>
#include <vector>

#include "Lv2World.h"

namespace wavelv2 {

struct PluginSummary {
    std::string uri;
    std::string name;
    std::string className;
    int audioInputs = 0, audioOutputs = 0;
    int controlInputs = 0, controlOutputs = 0;
    int midiInputs = 0, midiOutputs = 0;

    // "URI|name|class|audio 1/1|control 1/0|midi 0/0"
    std::string text() const;
};

// The plugins whose URI, name or class contains `filter` (any case); all of
// them when it is empty. In lilv's order (by URI).
std::vector<PluginSummary> listPlugins(Lv2World& world, const std::string& filter);

PluginSummary summarise(const Lv2World& world, const LilvPlugin* plugin);

}  // namespace wavelv2

#endif  // WAVE_LV2_PLUGIN_CATALOG_H
