#include "WaveDemo.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Adler32.h"
#include "WaveDemoProtocol.h"

namespace wavedemo {

namespace {

const long kDefaultRequestBytes = 64;

// The byte count a request asks for: ext1 when it fits, else a default.
size_t requestedBytes(long ext1, long capacity) {
    const long wanted = ext1 > 0 ? ext1 : kDefaultRequestBytes;
    return static_cast<size_t>(wanted < capacity ? wanted : capacity);
}

}  // namespace

WaveDemo::WaveDemo() : mJackClient(*this), mGain(0) {}

WaveDemo::~WaveDemo() {}

int WaveDemo::init() {
    // The host is ready to forward answers from here on.
    response("wave demo ready", kCommandAnswerId);
    return 0;
}

int WaveDemo::sendCommand(const char* command) {
    if (strncmp(command, "gain ", 5) == 0) return setGain(command + 5);
    if (strcmp(command, "status") == 0) {
        answerStatus();
        return 0;
    }
    // Unknown commands are refused; the host hands our result to Java.
    response((std::string("unknown command: ") + command).c_str(), kCommandAnswerId);
    return 1;
}

int WaveDemo::setGain(const char* argument) {
    char* end = nullptr;
    const long gain = strtol(argument, &end, 10);
    if (end == argument || *end != '\0') return 1;
    mGain = static_cast<int>(gain);
    char text[48];
    snprintf(text, sizeof(text), "gain %d", mGain);
    response(text, kCommandAnswerId);
    return 0;
}

void WaveDemo::answerStatus() {
    std::string text = "status: gain " + std::to_string(mGain);
    text += mJackClient.isActive() ? ", active" : ", inactive";
    text += ", set up with";
    for (const std::string& argument : mJackClient.setUpArguments()) text += " " + argument;
    response(text.c_str(), kCommandAnswerId);
}

android::IJackClientInterface* WaveDemo::getJackClientInterface() {
    return &mJackClient;
}

int WaveDemo::request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                      const void* buffer) {
    uint8_t* bytes = static_cast<uint8_t*>(const_cast<void*>(buffer));
    const size_t count = requestedBytes(ext1, capacity);
    if (strcmp(what, "letters") == 0) {
        for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>('A' + i % 26);
    } else if (strcmp(what, "counter") == 0) {
        for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i);
    } else {
        return 1;
    }
    usedBytes = count;
    return 0;
}

int WaveDemo::sendStream(const void* stream, const long streamLen, const int id) {
    if (streamLen < 0 || (stream == nullptr && streamLen > 0)) return 1;
    const uint32_t checksum = adler32(stream, static_cast<size_t>(streamLen));
    char text[80];
    snprintf(text, sizeof(text), "stream %d %ld adler32 %08x", id, streamLen,
             static_cast<unsigned>(checksum));
    // Answered at once, on the caller's thread, inside the host's call.
    response(text, kStreamAnswerId);
    return 0;
}

}  // namespace wavedemo
