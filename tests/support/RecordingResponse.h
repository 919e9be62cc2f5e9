// A response interface compiled in the test, apart from the library: it
// remembers every answer it was given, as text, so a test sees which slot a
// call reached and with which arguments, and it reports a chosen target API
// level. `Base` is IOXAResponseInterface or IOXAResponseInterfaceV2.
//
//   responseToService(message)          "<message>" ("(null)" for null)
//   responseToService(id, message)      "id:<id>:<message>"
//   responseToService(ext1, len, data)  "data:<ext1>:<len>:<bytes in hex>"
#ifndef OVIK_TEST_RECORDING_RESPONSE_H
#define OVIK_TEST_RECORDING_RESPONSE_H

#include <stdio.h>

#include <string>
#include <vector>

#include "IOXAResponseInterfaceV2.h"

template <typename Base = IOXAResponseInterfaceV2>
class RecordingResponse : public Base {
public:
    explicit RecordingResponse(int apiLevel = 0) : mApiLevel(apiLevel) {}

    void responseToService(const char* message) override { mAnswers.push_back(text(message)); }
    void responseToService(const int32_t ext1, const size_t len, const void* data) override {
        mAnswers.push_back("data:" + std::to_string(ext1) + ":" + std::to_string(len) + ":" +
                           hexOf(data, len));
        mLastData = data;
    }
    void responseToService(const int id, const char* message) override {
        mAnswers.push_back("id:" + std::to_string(id) + ":" + text(message));
    }
    // Overrides IOXAResponseInterfaceV2's slot; an extra member otherwise.
    int getTargetAPILevel() { return mApiLevel; }

    const std::vector<std::string>& answers() const { return mAnswers; }
    // The block of the latest data answer, as it arrived (not a copy).
    const void* lastData() const { return mLastData; }
    void clear() { mAnswers.clear(); }

private:
    static std::string text(const char* message) { return message == nullptr ? "(null)" : message; }
    static std::string hexOf(const void* data, size_t len) {
        std::string hex;
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; data != nullptr && i < len; ++i) {
            char digits[3];
            snprintf(digits, sizeof(digits), "%02x", static_cast<unsigned int>(bytes[i]));
            hex += digits;
        }
        return hex;
    }

    int mApiLevel;
    const void* mLastData = nullptr;
    std::vector<std::string> mAnswers;
};

#endif  // OVIK_TEST_RECORDING_RESPONSE_H
