#include "LevelReporter.h"

#include <stdint.h>
#include <stdio.h>

#include "WaveDemoProtocol.h"

namespace wavedemo {

LevelReporter::LevelReporter(android::IOXAInterface& module, int levelCount,
                             std::chrono::milliseconds period)
    : mModule(module),
      mLevelCount(levelCount),
      mPeriod(period),
      mThread([this] { run(); }, "demo-levels") {}

LevelReporter::~LevelReporter() {
    stop();
}

void LevelReporter::run() {
    for (int level = 1; level <= mLevelCount; ++level) {
        if (!mThread.waitFor(mPeriod)) return;
        char text[32];
        snprintf(text, sizeof(text), "level %d", level);
        // The host forwards the text synchronously; `text` may go right after.
        mModule.response(text, kLevelAnswerId);
    }
    sendLevelBlock(mLevelCount);
}

void LevelReporter::sendLevelBlock(int count) {
    // One byte per level reported, as a meter history: 1, 2, ... count.
    uint8_t block[kMaxLevelCount];
    const int size = count < kMaxLevelCount ? count : kMaxLevelCount;
    if (size <= 0) return;
    for (int i = 0; i < size; ++i) block[i] = static_cast<uint8_t>(i + 1);
    mModule.response(kLevelBlockExt1, static_cast<size_t>(size), block);
}

}  // namespace wavedemo
