// Offline processing: interleaved 32-bit float frames in, the plugin's
// processed frames out, interleaved likewise, in blocks of the core's
// longest block. No JACK server needed; the caller's thread runs the plugin.
#ifndef WAVE_LV2_OFFLINE_RENDERER_H
#define WAVE_LV2_OFFLINE_RENDERER_H

#include <stdint.h>

#include <vector>

#include "Lv2Plugin.h"

namespace wavelv2 {

class OfflineRenderer {
public:
    explicit OfflineRenderer(Lv2Plugin& plugin) : mPlugin(plugin) {}

    // `frames` frames of audioInputs() channels from `bytes` (native-endian
    // floats, any alignment; null gives silence), into `out` as frames of
    // audioOutputs() channels.
    void render(const uint8_t* bytes, uint32_t frames, std::vector<float>& out);

private:
    void renderBlock(const uint8_t* bytes, uint32_t frames, float* out);

    Lv2Plugin& mPlugin;
    std::vector<std::vector<float>> mInputs;
    std::vector<std::vector<float>> mOutputs;
    std::vector<const float*> mInputPointers;
    std::vector<float*> mOutputPointers;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_OFFLINE_RENDERER_H
