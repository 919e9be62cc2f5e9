// The probe module's processing object. Each slot reports its own name and
// arguments and gives a result of its own; requests write their report into
// the host's block instead. Two commands are its own: "version:1" makes it
// report version 1 from then on, so the host treats it as a first-version
// module, and "answer:each" answers once through each response member.
#ifndef OVIK_ABI_PROBE_PROCESSING_H
#define OVIK_ABI_PROBE_PROCESSING_H

#include <memory>
#include <string>

#include "IOXAInterfaceV2.h"
#include "ProbeJack.h"

class ProbeProcessing : public android::IOXAInterfaceV2 {
public:
    ProbeProcessing();
    ~ProbeProcessing() override;

    int init() override;
    int sendCommand(const char* command) override;
    android::IJackClientInterface* getJackClientInterface() override;
    int request(const char* what, const long ext1, const long capacity, size_t& usedBytes,
                const void* buffer) override;
    int sendStream(const void* stream, const long streamLen, const int id) override;

    // Where this compiler puts the protected version field.
    long long magicNumberOffset() const;

private:
    void report(const std::string& text);
    void answerThroughEachMember();

    std::unique_ptr<ProbeJack> mJack;
};

#endif  // OVIK_ABI_PROBE_PROCESSING_H
