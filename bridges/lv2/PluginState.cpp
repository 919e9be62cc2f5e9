#include "PluginState.h"

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>

#include <memory>

namespace wavelv2 {

namespace {

const char kStateUri[] = "urn:wave-lv2:state";

struct StateFree {
    void operator()(LilvState* state) const { lilv_state_free(state); }
};
typedef std::unique_ptr<LilvState, StateFree> StatePtr;

struct PortValues {
    Lv2Plugin& plugin;
    LV2_URID floatType;
    // save() hands lilv pointers into this: one value per port, stable.
    std::vector<float> values;
};

const void* portValue(const char* symbol, void* context, uint32_t* size, uint32_t* type) {
    PortValues& values = *static_cast<PortValues*>(context);
    const PortInfo* port = values.plugin.port(symbol);
    if (port == nullptr || port->type != PortInfo::kControl || !port->input) return nullptr;
    float& value = values.values[port->index];
    value = values.plugin.controlAt(port->index);
    *size = sizeof(float);
    *type = values.floatType;
    return &value;
}

void setPortValue(const char* symbol, void* context, const void* value, uint32_t size,
                  uint32_t type) {
    PortValues& values = *static_cast<PortValues*>(context);
    if (type != values.floatType || size != sizeof(float)) return;
    float applied = 0.0f;
    // Called by lilv, in C: nothing may be thrown there.
    try {
        std::string why;
        values.plugin.setControl(symbol, *static_cast<const float*>(value), applied, why);
    } catch (...) {
    }
}

}  // namespace

PluginState::PluginState(Lv2World& world, UridMap& urids) : mWorld(world), mUrids(urids) {}

std::vector<PresetInfo> PluginState::presets(const Lv2Plugin& plugin) const {
    std::vector<PresetInfo> found;
    if (plugin.plugin() == nullptr) return found;
    const Lv2World::Terms& terms = mWorld.terms();
    LilvNodes* related = lilv_plugin_get_related(plugin.plugin(), terms.preset.get());
    LILV_FOREACH(nodes, i, related) {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(mWorld.world(), preset);
        PresetInfo info;
        info.uri = lilv_node_as_uri(preset);
        LilvNode* label = lilv_world_get(mWorld.world(), preset, terms.label.get(), nullptr);
        info.label = label != nullptr ? lilv_node_as_string(label) : "";
        lilv_node_free(label);
        found.push_back(info);
    }
    lilv_nodes_free(related);
    return found;
}

void PluginState::restoreState(Lv2Plugin& plugin, LilvState* state) const {
    PortValues values{plugin, mUrids.map(LV2_ATOM__Float), {}};
    Lv2Plugin::Pause pause(plugin);
    lilv_state_restore(state, plugin.instance(), &setPortValue, &values, 0, plugin.features());
}

bool PluginState::applyPreset(Lv2Plugin& plugin, const std::string& uri, std::string& why) const {
    if (!plugin.isLoaded()) {
        why = "no plugin loaded";
        return false;
    }
    for (const PresetInfo& preset : presets(plugin)) {
        if (preset.uri != uri) continue;
        NodePtr node(lilv_new_uri(mWorld.world(), uri.c_str()));
        StatePtr state(lilv_state_new_from_world(mWorld.world(), mUrids.mapFeature(), node.get()));
        if (!state) break;
        restoreState(plugin, state.get());
        return true;
    }
    why = "no preset " + uri + " of " + plugin.uri();
    return false;
}

bool PluginState::save(Lv2Plugin& plugin, std::string& text, std::string& why) const {
    if (!plugin.isLoaded()) {
        why = "no plugin loaded";
        return false;
    }
    PortValues values{plugin, mUrids.map(LV2_ATOM__Float),
                      std::vector<float>(plugin.ports().size(), 0.0f)};
    StatePtr state;
    {
        Lv2Plugin::Pause pause(plugin);
        state.reset(lilv_state_new_from_instance(
            plugin.plugin(), plugin.instance(), mUrids.mapFeature(), nullptr, nullptr, nullptr,
            nullptr, &portValue, &values, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
            plugin.features()));
    }
    if (!state) {
        why = "saving the state of " + plugin.uri() + " failed";
        return false;
    }
    char* turtle = lilv_state_to_string(mWorld.world(), mUrids.mapFeature(), mUrids.unmapFeature(),
                                        state.get(), kStateUri, nullptr);
    if (turtle == nullptr) {
        why = "writing the state of " + plugin.uri() + " as text failed";
        return false;
    }
    text = turtle;
    lilv_free(turtle);
    return true;
}

bool PluginState::restore(Lv2Plugin& plugin, const std::string& text, std::string& why) const {
    if (!plugin.isLoaded()) {
        why = "no plugin loaded";
        return false;
    }
    StatePtr state(lilv_state_new_from_string(mWorld.world(), mUrids.mapFeature(), text.c_str()));
    if (!state) {
        why = "the text is no LV2 state";
        return false;
    }
    const LilvNode* of = lilv_state_get_plugin_uri(state.get());
    if (of == nullptr || plugin.uri() != lilv_node_as_uri(of)) {
        why = std::string("the state is of ") +
              (of != nullptr ? lilv_node_as_uri(of) : "no plugin") + ", not of " + plugin.uri();
        return false;
    }
    restoreState(plugin, state.get());
    return true;
}

}  // namespace wavelv2
