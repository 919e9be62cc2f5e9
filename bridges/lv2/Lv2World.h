// The installed LV2 plugins (those of the bundles Lv2Path.h finds), and the few RDF terms the
// bridge asks lilv about. Read on first use: a module object that is made and destroyed without
// ever looking at a plugin costs nothing more. lilv's world is not thread safe, so the module calls
// it under its own lock.
#ifndef WAVE_LV2_LV2_WORLD_H
#define WAVE_LV2_LV2_WORLD_H

#include <lilv/lilv.h>

#include <string>

#include "LilvNode.h"

namespace wavelv2 {

class Lv2World {
public:
    struct Terms {
        NodePtr audioPort, controlPort, atomPort, cvPort, inputPort, outputPort;
        NodePtr midiEvent, atomSupports, connectionOptional, toggled, integer, sampleRate;
        NodePtr preset, label;
    };

    Lv2World();
    ~Lv2World();

    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    LilvWorld* world();
    const LilvPlugins* plugins() { return lilv_world_get_all_plugins(world()); }
    // Null when no installed plugin has this URI.
    const LilvPlugin* find(const std::string& uri);
    // Once any of the above has read the world.
    const Terms& terms() const { return mTerms; }

private:
    void read();
    NodePtr uri(const char* text) const;

    LilvWorld* mWorld;
    Terms mTerms;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_WORLD_H
