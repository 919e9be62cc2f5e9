#include "OfflineRenderer.h"

#include <string.h>

namespace wavelv2 {

void OfflineRenderer::render(const uint8_t* bytes, uint32_t frames, std::vector<float>& out) {
    const uint32_t inputs = mPlugin.audioInputs();
    const uint32_t outputs = mPlugin.audioOutputs();
    mInputs.assign(inputs, std::vector<float>(Lv2Plugin::kMaxBlock, 0.0f));
    mOutputs.assign(outputs, std::vector<float>(Lv2Plugin::kMaxBlock, 0.0f));
    mInputPointers.clear();
    mOutputPointers.clear();
    for (std::vector<float>& channel : mInputs) mInputPointers.push_back(channel.data());
    for (std::vector<float>& channel : mOutputs) mOutputPointers.push_back(channel.data());
    out.assign(static_cast<size_t>(frames) * outputs, 0.0f);
    mPlugin.activate();
    const size_t frameBytes = sizeof(float) * inputs;
    for (uint32_t done = 0; done < frames;) {
        const uint32_t block = frames - done < mBlockLength ? frames - done : mBlockLength;
        renderBlock(bytes != nullptr ? bytes + done * frameBytes : nullptr, block,
                    out.data() + static_cast<size_t>(done) * outputs);
        done += block;
    }
}

void OfflineRenderer::renderBlock(const uint8_t* bytes, uint32_t frames, float* out) {
    const size_t inputs = mInputs.size();
    for (size_t channel = 0; channel < inputs; ++channel) {
        float* samples = mInputs[channel].data();
        for (uint32_t i = 0; i < frames; ++i) {
            if (bytes == nullptr) {
                samples[i] = 0.0f;
            } else {
                memcpy(&samples[i], bytes + (i * inputs + channel) * sizeof(float), sizeof(float));
            }
        }
    }
    mPlugin.beginBlock();
    mPlugin.process(frames, mInputPointers.data(), mOutputPointers.data());
    const size_t outputs = mOutputs.size();
    for (size_t channel = 0; channel < outputs; ++channel) {
        const float* samples = mOutputs[channel].data();
        for (uint32_t i = 0; i < frames; ++i) out[i * outputs + channel] = samples[i];
    }
}

}  // namespace wavelv2
