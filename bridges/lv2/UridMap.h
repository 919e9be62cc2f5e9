// The URID map and unmap features: one number per URI for the life of the
// module's plugin host, the same for every plugin instance it makes.
// Thread safe; plugins call map() while they are instantiated and from
// their worker, not from run().
#ifndef WAVE_LV2_URID_MAP_H
#define WAVE_LV2_URID_MAP_H

#include <lv2/urid/urid.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace wavelv2 {

class UridMap {
public:
    UridMap();

    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID map(const char* uri);
    // Null for an id never handed out.
    const char* unmap(LV2_URID id);

    // The features to hand a plugin; they refer to this object.
    LV2_URID_Map* mapFeature() { return &mMap; }
    LV2_URID_Unmap* unmapFeature() { return &mUnmap; }

private:
    static LV2_URID mapCallback(LV2_URID_Map_Handle handle, const char* uri);
    static const char* unmapCallback(LV2_URID_Unmap_Handle handle, LV2_URID id);

    std::mutex mLock;
    std::unordered_map<std::string, LV2_URID> mIds;
    // Index id - 1; the strings' buffers stay put as the vector grows.
    std::vector<std::unique_ptr<std::string>> mUris;
    LV2_URID_Map mMap;
    LV2_URID_Unmap mUnmap;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_URID_MAP_H
