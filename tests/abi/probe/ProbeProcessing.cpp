#include "ProbeProcessing.h"

#include <stdio.h>
#include <string.h>

ProbeProcessing::ProbeProcessing() : mJack(new ProbeJack(this)) {}

ProbeProcessing::~ProbeProcessing() {
    report("~ProbeProcessing()");
}

int ProbeProcessing::init() {
    report("init()");
    return 0;
}

int ProbeProcessing::sendCommand(const char* command) {
    if (strcmp(command, "version:1") == 0) {
        mMagicNumber = 1;
        return 0;
    }
    if (strcmp(command, "answer:each") == 0) {
        answerThroughEachMember();
        return 0;
    }
    report(std::string("sendCommand(") + command + ")");
    return 11;
}

android::IJackClientInterface* ProbeProcessing::getJackClientInterface() {
    return mJack.get();
}

// The report goes into the block: a request's answer is the block itself.
int ProbeProcessing::request(const char* what, const long ext1, const long capacity,
                             size_t& usedBytes, const void* buffer) {
    const std::string text = std::string("request(") + what + "," + std::to_string(ext1) + "," +
                             std::to_string(capacity) + "," + std::to_string(usedBytes) + ")";
    const size_t room = capacity > 0 ? static_cast<size_t>(capacity) : 0;
    const size_t length = text.size() < room ? text.size() : room;
    memcpy(const_cast<void*>(buffer), text.data(), length);
    usedBytes = length;
    return 0;
}

int ProbeProcessing::sendStream(const void* stream, const long streamLen, const int id) {
    char text[96];
    snprintf(text, sizeof(text), "sendStream(%p,%ld,%d)", stream, streamLen, id);
    report(text);
    return 41;
}

long long ProbeProcessing::magicNumberOffset() const {
    const android::IOXAInterface* base = this;
    return reinterpret_cast<const char*>(&mMagicNumber) - reinterpret_cast<const char*>(base);
}

void ProbeProcessing::report(const std::string& text) {
    response(text.c_str());
}

void ProbeProcessing::answerThroughEachMember() {
    static const unsigned char kBlock[3] = {0x10, 0x20, 0x30};
    response("each:text");
    response(6, sizeof(kBlock), kBlock);
    response("each:tagged", 7);
}
