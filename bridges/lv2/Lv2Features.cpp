#include "Lv2Features.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>
#include <string.h>

namespace wavelv2 {

namespace {

const char* const kProvided[] = {
    LV2_URID__map,
    LV2_URID__unmap,
    LV2_OPTIONS__options,
    LV2_WORKER__schedule,
    LV2_LOG__log,
    LV2_BUF_SIZE__boundedBlockLength,
    LV2_CORE__isLive,
    LV2_CORE__inPlaceBroken,
    LV2_CORE__hardRTCapable,
};

}  // namespace

Lv2Features::Lv2Features(UridMap& urids, Lv2Log& log, Lv2Worker& worker)
    : mMinBlock(1), mMaxBlock(4096), mNominalBlock(128), mSampleRate(48000.0f) {
    mMapFeature = {LV2_URID__map, urids.mapFeature()};
    mUnmapFeature = {LV2_URID__unmap, urids.unmapFeature()};
    mOptionsFeature = {LV2_OPTIONS__options, mOptions};
    mWorkerFeature = {LV2_WORKER__schedule, worker.feature()};
    mLogFeature = {LV2_LOG__log, log.feature()};
    mBoundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
    const LV2_Feature* features[] = {&mMapFeature,    &mUnmapFeature, &mOptionsFeature,
                                     &mWorkerFeature, &mLogFeature,   &mBoundedFeature,
                                     nullptr};
    memcpy(mList, features, sizeof(mList));
    const LV2_URID intType = urids.map(LV2_ATOM__Int);
    setOption(0, urids.map(LV2_BUF_SIZE__minBlockLength), intType, &mMinBlock, sizeof(int32_t));
    setOption(1, urids.map(LV2_BUF_SIZE__maxBlockLength), intType, &mMaxBlock, sizeof(int32_t));
    setOption(2, urids.map(LV2_BUF_SIZE__nominalBlockLength), intType, &mNominalBlock,
              sizeof(int32_t));
    setOption(3, urids.map(LV2_PARAMETERS__sampleRate), urids.map(LV2_ATOM__Float), &mSampleRate,
              sizeof(float));
    mOptions[4] = LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
}

void Lv2Features::setOption(int slot, LV2_URID key, LV2_URID type, const void* value,
                            uint32_t size) {
    mOptions[slot] = LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, key, size, type, value};
}

void Lv2Features::setBlockAndRate(uint32_t maxBlock, uint32_t nominalBlock, float sampleRate) {
    mMaxBlock = static_cast<int32_t>(maxBlock);
    mNominalBlock = static_cast<int32_t>(nominalBlock);
    mSampleRate = sampleRate;
}

bool Lv2Features::provides(const char* uri) {
    for (const char* provided : kProvided) {
        if (strcmp(provided, uri) == 0) return true;
    }
    return false;
}

}  // namespace wavelv2
