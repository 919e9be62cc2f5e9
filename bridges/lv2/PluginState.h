// Presets and state of the loaded plugin, through lilv's state functions:
// the presets its bundles describe, and its control values and own state
// saved to and restored from Turtle text.
#ifndef WAVE_LV2_PLUGIN_STATE_H
#define WAVE_LV2_PLUGIN_STATE_H

#include <string>
#include <vector>

#include "Lv2Plugin.h"
#include "Lv2World.h"
#include "UridMap.h"

namespace wavelv2 {

struct PresetInfo {
    std::string uri;
    std::string label;
};

class PluginState {
public:
    PluginState(Lv2World& world, UridMap& urids);

    std::vector<PresetInfo> presets(const Lv2Plugin& plugin) const;
    // Each applies to the loaded plugin while its blocks are paused. False
    // with the reason in `why`.
    bool applyPreset(Lv2Plugin& plugin, const std::string& uri, std::string& why) const;
    bool save(Lv2Plugin& plugin, std::string& text, std::string& why) const;
    bool restore(Lv2Plugin& plugin, const std::string& text, std::string& why) const;

private:
    void restoreState(Lv2Plugin& plugin, LilvState* state) const;

    Lv2World& mWorld;
    UridMap& mUrids;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_PLUGIN_STATE_H
