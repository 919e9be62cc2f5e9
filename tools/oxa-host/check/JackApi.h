// The calls of libjack that the checks make themselves, looked up in the
// library opened at run time (the tool does not link it: a machine without
// JACK still runs every other check). Declared as <jack/jack.h> declares
// them; the options, status and flags are enums of int width.
#ifndef OXA_HOST_JACK_API_H
#define OXA_HOST_JACK_API_H

#include <stdint.h>

#include <string>

namespace oxahost {

struct JackApi {
    typedef void Client;
    typedef void Port;
    typedef int (*ProcessCallback)(uint32_t frames, void* argument);

    static constexpr int kNoStartServer = 0x01;
    static constexpr unsigned long kPortIsInput = 0x1;
    static constexpr unsigned long kPortIsOutput = 0x2;
    static constexpr const char* kAudioType = "32 bit float mono audio";

    // False, with the reason in `why`, without the library or a call.
    bool load(std::string* why);

    Client* (*clientOpen)(const char* name, int options, int* status, ...) = nullptr;
    int (*clientClose)(Client* client) = nullptr;
    const char* (*clientName)(Client* client) = nullptr;
    Port* (*portRegister)(Client* client, const char* name, const char* type, unsigned long flags,
                          unsigned long bufferSize) = nullptr;
    void* (*portBuffer)(Port* port, uint32_t frames) = nullptr;
    const char* (*portName)(const Port* port) = nullptr;
    Port* (*portByName)(Client* client, const char* name) = nullptr;
    int (*portFlags)(const Port* port) = nullptr;
    int (*setProcess)(Client* client, ProcessCallback callback, void* argument) = nullptr;
    int (*activate)(Client* client) = nullptr;
    int (*deactivate)(Client* client) = nullptr;
    int (*connect)(Client* client, const char* source, const char* destination) = nullptr;
    const char** (*getPorts)(Client* client, const char* name, const char* type,
                             unsigned long flags) = nullptr;
    void (*free)(void* pointer) = nullptr;
    uint32_t (*lastFrameTime)(const Client* client) = nullptr;
    int (*setBufferSize)(Client* client, uint32_t frames) = nullptr;
    uint32_t (*bufferSize)(Client* client) = nullptr;
    uint32_t (*sampleRate)(Client* client) = nullptr;
};

}  // namespace oxahost

#endif  // OXA_HOST_JACK_API_H
