// The host features the bridge gives every plugin: URID map and unmap,
// options (block lengths, sample rate), the worker, log and bounded block
// length. A plugin that requires any other feature is refused.
#ifndef WAVE_LV2_LV2_FEATURES_H
#define WAVE_LV2_LV2_FEATURES_H

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <stdint.h>

#include "Lv2Log.h"
#include "Lv2Worker.h"
#include "UridMap.h"

namespace wavelv2 {

class Lv2Features {
public:
    Lv2Features(UridMap& urids, Lv2Log& log, Lv2Worker& worker);

    Lv2Features(const Lv2Features&) = delete;
    Lv2Features& operator=(const Lv2Features&) = delete;

    // What the options feature tells the next plugin instantiated.
    void setBlockAndRate(uint32_t maxBlock, uint32_t nominalBlock, float sampleRate);
    // Null-terminated, for lilv_plugin_instantiate() and lilv's state calls.
    const LV2_Feature* const* list() const { return mList; }

    // Whether a plugin that requires the feature `uri` may be loaded: one of
    // those above, or one that asks nothing of the host (live, in-place
    // processing broken: the bridge never processes in place).
    static bool provides(const char* uri);

private:
    void setOption(int slot, LV2_URID key, LV2_URID type, const void* value, uint32_t size);

    int32_t mMinBlock;
    int32_t mMaxBlock;
    int32_t mNominalBlock;
    float mSampleRate;
    LV2_Options_Option mOptions[5];
    LV2_Feature mMapFeature, mUnmapFeature, mOptionsFeature, mWorkerFeature, mLogFeature;
    LV2_Feature mBoundedFeature;
    const LV2_Feature* mList[7];
};

}  // namespace wavelv2

#endif  // WAVE_LV2_LV2_FEATURES_H
