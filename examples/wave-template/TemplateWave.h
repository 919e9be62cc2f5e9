// The module's processing object: what oxa_create() hands the host.
#ifndef WAVE_TEMPLATE_TEMPLATE_WAVE_H
#define WAVE_TEMPLATE_TEMPLATE_WAVE_H

#include <stddef.h>

#include "IOXAInterfaceV2.h"
#include "TemplateJackClient.h"

namespace wavetemplate {

// The id the module's text answers carry (ext1 on the Java side).
const int kAnswerId = 1;

class TemplateWave : public android::IOXAInterfaceV2 {
public:
    TemplateWave();

    // Called once, after the host gave the object its response interface.
    int init() override;
    // Every command the host does not handle itself; 0 is success.
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override;
    // Fills at most `capacity` bytes of `buffer` and sets `usedBytes`.
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
    int sendStream(const void* stream, const long streamLen, const int id) override;

private:
    TemplateJackClient mJackClient;
};

}  // namespace wavetemplate

#endif  // WAVE_TEMPLATE_TEMPLATE_WAVE_H
