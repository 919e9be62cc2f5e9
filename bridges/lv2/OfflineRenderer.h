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
    explicit OfflineRenderer(Lv2Plugin& plugin)
        : mPlugin(plugin), mBlockLength(Lv2Plugin::kMaxBlock) {}

    // Frames per run() of the plugin, 1 to Lv2Plugin::kMaxBlock. Plugins that
    // glide from one control value to the next over a block give other
    // output at other block lengths; lv2apply runs one frame at a time.
    void setBlockLength(uint32_t frames) { mBlockLength = frames; }
    uint32_t blockLength() const { return mBlockLength; }

    // `frames` frames of audioInputs() channels from `bytes` (native-endian
    // floats, any alignment; null gives silence), into `out` as frames of
    // audioOutputs() channels.
    void render(const uint8_t* bytes, uint32_t frames, std::vector<float>& out);

private:
    void renderBlock(const uint8_t* bytes, uint32_t frames, float* out);

    Lv2Plugin& mPlugin;
    uint32_t mBlockLength;
    std::vector<std::vector<float>> mInputs;
    std::vector<std::vector<float>> mOutputs;
    std::vector<const float*> mInputPointers;
    std::vector<float*> mOutputPointers;
};

}  // namespace wavelv2

#endif  // WAVE_LV2_OFFLINE_RENDERER_H
