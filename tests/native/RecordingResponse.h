// A response interface that remembers every answer it was given, as text,
// and reports a chosen target API level. `Base` is IOXAResponseInterface or
// IOXAResponseInterfaceV2.
#ifndef OVIK_TEST_RECORDING_RESPONSE_H
#define OVIK_TEST_RECORDING_RESPONSE_H

#include <stdio.h>

#include <string>
#include <vector>

#include "IOXAResponseInterfaceV2.h"

template <typename Base>
class RecordingResponse : public Base {
public:
    explicit RecordingResponse(int apiLevel = 0) : mApiLevel(apiLevel) {}

    void responseToService(const char* message) override { mAnswers.push_back(text(message)); }
    void responseToService(const int32_t ext1, const size_t len, const void* data) override {
        char answer[96];
        snprintf(answer, sizeof(answer), "data:%d:%zu:%p", ext1, len, data);
        mAnswers.push_back(answer);
    }
    void responseToService(const int id, const char* message) override {
        mAnswers.push_back("id:" + std::to_string(id) + ":" + text(message));
    }
    // Overrides IOXAResponseInterfaceV2's slot; an extra member otherwise.
    int getTargetAPILevel() { return mApiLevel; }

    const std::vector<std::string>& answers() const { return mAnswers; }

private:
    static std::string text(const char* message) { return message == nullptr ? "(null)" : message; }

    int mApiLevel;
    std::vector<std::string> mAnswers;
};

#endif  // OVIK_TEST_RECORDING_RESPONSE_H
