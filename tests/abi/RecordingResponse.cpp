#include "RecordingResponse.h"

#include <stdio.h>

namespace {

std::string hexOf(const void* data, size_t len) {
    std::string hex;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < len; ++i) {
        char digits[3];
        snprintf(digits, sizeof(digits), "%02x", static_cast<unsigned int>(bytes[i]));
        hex += digits;
    }
    return hex;
}

}  // namespace

const int RecordingResponse::kLevel;

void RecordingResponse::responseToService(const char* message) {
    mCalls.push_back(std::string("text:") + message);
}

void RecordingResponse::responseToService(const int32_t ext1, const size_t len, const void* data) {
    mCalls.push_back("data:" + std::to_string(ext1) + ":" + std::to_string(len) + ":" +
                     hexOf(data, len));
}

void RecordingResponse::responseToService(const int id, const char* message) {
    mCalls.push_back("tagged:" + std::to_string(id) + ":" + message);
}

int RecordingResponse::getTargetAPILevel() {
    mCalls.push_back("level");
    return kLevel;
}
