#include "UridMap.h"

namespace wavelv2 {

UridMap::UridMap() {
    mMap.handle = this;
    mMap.map = &UridMap::mapCallback;
    mUnmap.handle = this;
    mUnmap.unmap = &UridMap::unmapCallback;
}

LV2_URID UridMap::map(const char* uri) {
    if (uri == nullptr) return 0;
    std::lock_guard<std::mutex> hold(mLock);
    auto found = mIds.find(uri);
    if (found != mIds.end()) return found->second;
    mUris.emplace_back(new std::string(uri));
    const LV2_URID id = static_cast<LV2_URID>(mUris.size());
    mIds.emplace(*mUris.back(), id);
    return id;
}

const char* UridMap::unmap(LV2_URID id) {
    std::lock_guard<std::mutex> hold(mLock);
    if (id == 0 || id > mUris.size()) return nullptr;
    return mUris[id - 1]->c_str();
}

// The callbacks are called by plugins: nothing may be thrown into them.
LV2_URID UridMap::mapCallback(LV2_URID_Map_Handle handle, const char* uri) {
    try {
        return static_cast<UridMap*>(handle)->map(uri);
    } catch (...) {
        return 0;
    }
}

const char* UridMap::unmapCallback(LV2_URID_Unmap_Handle handle, LV2_URID id) {
    return static_cast<UridMap*>(handle)->unmap(id);
}

}  // namespace wavelv2
