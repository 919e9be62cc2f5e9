// A module written without hidden visibility: its class, its functions and
// its counter are ordinary exported C++ symbols. It is built twice, as
// oxa_wave_clash_a and oxa_wave_clash_b, from this one file, so the two
// libraries define the very same C++ symbol names and differ only in the
// voice CLASH_VOICE gives them. Each "voice" command answers
// "<voice> <count of voice commands so far>". The host opens modules with
// global symbol visibility; the kit's version script keeps these names out of
// the modules' exports, so each keeps its own code and counter. It has no
// static of an inline function or template on purpose: those are
// STB_GNU_UNIQUE symbols, which glibc binds once for the whole process
// whatever the open mode, and only hidden visibility keeps them apart.
#include <stdio.h>
#include <string.h>

#include "IOXAInterfaceV2.h"
#include "WaveExport.h"

int gClashCount = 0;

const char* clashVoice() {
    return CLASH_VOICE;
}

class ClashWave : public android::IOXAInterfaceV2 {
public:
    int init() override { return 0; }
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override { return nullptr; }
    int request(const char*, const long, const long, size_t&, const void*) override { return 1; }
    int sendStream(const void*, const long, const int) override { return 1; }
};

int ClashWave::sendCommand(const char* command) {
    if (strcmp(command, "voice") != 0) return 1;
    char answer[32];
    snprintf(answer, sizeof(answer), "%s %d", clashVoice(), ++gClashCount);
    response(answer);
    return 0;
}

WAVE_EXPORT int oxa_get_api_level() {
    return 4;
}

WAVE_EXPORT android::IOXAInterface* oxa_create() {
    return new ClashWave();
}

WAVE_EXPORT void oxa_destroy(android::IOXAInterface* object) {
    delete object;
}
