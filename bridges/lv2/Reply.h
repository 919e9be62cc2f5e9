// What one command answers: its texts and blocks, made while the module's
// lock is held and answered once it is released (an answer may come back
// into the module).
#ifndef WAVE_LV2_REPLY_H
#define WAVE_LV2_REPLY_H

#include <stdint.h>

#include <string>
#include <vector>

namespace wavelv2 {

struct Reply {
    struct Text {
        int id;
        std::string text;
    };
    struct Block {
        int32_t ext1;
        std::vector<uint8_t> bytes;
    };

    int result = 0;
    std::vector<Text> texts;
    std::vector<Block> blocks;

    void add(int id, const std::string& text) { texts.push_back(Text{id, text}); }
    // Answers `text` as an error (with kCommandAnswerId) and returns 1.
    int fail(const std::string& text);
};

}  // namespace wavelv2

#endif  // WAVE_LV2_REPLY_H
