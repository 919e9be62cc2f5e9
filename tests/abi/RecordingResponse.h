// A response interface compiled in the test binary, apart from the library:
// each slot appends what it received to calls(), so a test sees which slot
// the library's response members reached and with which arguments.
#ifndef OVIK_ABI_RECORDING_RESPONSE_H
#define OVIK_ABI_RECORDING_RESPONSE_H

#include <string>
#include <vector>

#include "IOXAResponseInterfaceV2.h"

class RecordingResponse : public IOXAResponseInterfaceV2 {
public:
    // getTargetAPILevel() gives this value back.
    static const int kLevel = 77;

    RecordingResponse() = default;
    ~RecordingResponse() override = default;

    // "text:<message>"
    void responseToService(const char* message) override;
    // "data:<ext1>:<len>:<bytes in hex>"
    void responseToService(const int32_t ext1, const size_t len, const void* data) override;
    // "tagged:<id>:<message>"
    void responseToService(const int id, const char* message) override;
    // "level"
    int getTargetAPILevel() override;

    const std::vector<std::string>& calls() const { return mCalls; }
    void clear() { mCalls.clear(); }

private:
    std::vector<std::string> mCalls;
};

#endif  // OVIK_ABI_RECORDING_RESPONSE_H
