#include "Lv2World.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>

#include "Lv2Path.h"

namespace wavelv2 {

namespace {
const char kRdfsLabel[] = "http://www.w3.org/2000/01/rdf-schema#label";
}  // namespace

Lv2World::Lv2World() : mWorld(nullptr) {}

LilvWorld* Lv2World::world() {
    if (mWorld == nullptr) read();
    return mWorld;
}

void Lv2World::read() {
    mWorld = lilv_world_new();
    // What lilv_world_load_all() does, with the bundles found by the bridge
    // (Lv2Path.h says why).
    for (const std::string& bundle : findBundles()) {
        NodePtr node(lilv_new_file_uri(mWorld, nullptr, bundle.c_str()));
        if (node) lilv_world_load_bundle(mWorld, node.get());
    }
    lilv_world_load_specifications(mWorld);
    lilv_world_load_plugin_classes(mWorld);
    mTerms.audioPort = uri(LV2_CORE__AudioPort);
    mTerms.controlPort = uri(LV2_CORE__ControlPort);
    mTerms.atomPort = uri(LV2_ATOM__AtomPort);
    mTerms.cvPort = uri(LV2_CORE__CVPort);
    mTerms.inputPort = uri(LV2_CORE__InputPort);
    mTerms.outputPort = uri(LV2_CORE__OutputPort);
    mTerms.midiEvent = uri(LV2_MIDI__MidiEvent);
    mTerms.atomSupports = uri(LV2_ATOM__supports);
    mTerms.connectionOptional = uri(LV2_CORE__connectionOptional);
    mTerms.toggled = uri(LV2_CORE__toggled);
    mTerms.integer = uri(LV2_CORE__integer);
    mTerms.sampleRate = uri(LV2_CORE__sampleRate);
    mTerms.preset = uri(LV2_PRESETS__Preset);
    mTerms.label = uri(kRdfsLabel);
}

Lv2World::~Lv2World() {
    // The terms belong to the world: free them first.
    mTerms = Terms();
    if (mWorld != nullptr) lilv_world_free(mWorld);
}

NodePtr Lv2World::uri(const char* text) const {
    return NodePtr(lilv_new_uri(mWorld, text));
}

const LilvPlugin* Lv2World::find(const std::string& text) {
    NodePtr node(lilv_new_uri(world(), text.c_str()));
    if (!node) return nullptr;
    return lilv_plugins_get_by_uri(plugins(), node.get());
}

}  // namespace wavelv2
