#include "HostSession.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "Console.h"
#include "HexPreview.h"

namespace oxahost {

namespace {

// What the service asks for on a device, whatever the Java caller wants.
const long kRequestCapacity = 200000;
const size_t kPreviewBytes = 32;

}  // namespace

HostSession::HostSession(const HostOptions& options) : mOptions(options) {}

HostSession::~HostSession() {
    destroyClient();
}

int HostSession::run() {
    if (!createClient()) return 1;
    const std::string initClient = "init_client:" + mOptions.effectivePackage() + ":" +
                                   mOptions.moduleFile + ":" + mOptions.moduleDir;
    const bool loaded = sendCommand(initClient);
    if (mOnLoad) mOnLoad(loaded);
    if (!loaded) {
        destroyClient();
        return 1;
    }
    if (mOnStep) mOnStep("init_client");
    bool allSucceeded = true;
    for (const HostStep& step : mOptions.steps) {
        if (mOnStepStart) mOnStepStart(stepName(step));
        if (!runStep(step)) allSucceeded = false;
        if (mOnStep) mOnStep(stepName(step));
    }
    if (!awaitAnswers()) allSucceeded = false;
    destroyClient();
    return allSucceeded ? 0 : 1;
}

bool HostSession::createClient() {
    mClient = android::OXAClient::createInstance(mOptions.clientName, "oxa-host", getpid());
    if (!mClient) {
        Console::diagnostic("error: cannot create a client named " + mOptions.clientName);
        return false;
    }
    android::OXAClient::setListener(&mListener);
    return true;
}

bool HostSession::sendCommand(const std::string& command) {
    const std::string addressed = mOptions.clientName + "!" + command;
    Console::line("> " + addressed);
    const int result = mClient->sendCommand(addressed.c_str());
    Console::line("< result " + std::to_string(result));
    return result == 0;
}

bool HostSession::runStep(const HostStep& step) {
    switch (step.kind) {
        case HostStep::kCommand:
            return sendCommand(step.text);
        case HostStep::kRequest:
            return request(step);
        case HostStep::kStream:
            return stream(step);
        case HostStep::kJackName:
            return jackName();
        case HostStep::kSleep:
            Console::line("> sleep " + std::to_string(step.number) + " ms");
            std::this_thread::sleep_for(std::chrono::milliseconds(step.number));
            return true;
    }
    return false;
}

std::string HostSession::stepName(const HostStep& step) {
    switch (step.kind) {
        case HostStep::kCommand:
            return step.text;
        case HostStep::kRequest:
            return "request " + step.text;
        case HostStep::kStream:
            return "stream " + std::to_string(step.number);
        case HostStep::kJackName:
            return "jack client name";
        case HostStep::kSleep:
            return "sleep " + std::to_string(step.number) + " ms";
    }
    return "";
}

bool HostSession::request(const HostStep& step) {
    Console::line("> request \"" + step.text + "\" ext1=" + std::to_string(step.number));
    size_t usedBytes = 0;
    std::shared_ptr<android::OxaMemoryHeap> heap =
        mClient->request(step.text.c_str(), step.number, kRequestCapacity, usedBytes);
    if (!heap) {
        Console::line("< request failed");
        return false;
    }
    // The service never exposes more than the block holds; neither do we.
    if (usedBytes > heap->getSize()) usedBytes = heap->getSize();
    Console::line("< request filled " + std::to_string(usedBytes) +
                  " bytes: " + hexPreview(heap->getBase(), usedBytes, kPreviewBytes));
    return true;
}

bool HostSession::stream(const HostStep& step) {
    Console::line("> stream id=" + std::to_string(step.number) +
                  " length=" + std::to_string(step.bytes.size()) + ": " +
                  hexPreview(step.bytes.data(), step.bytes.size(), kPreviewBytes));
    const int result = mClient->sendStream(step.bytes.data(), static_cast<long>(step.bytes.size()),
                                           static_cast<int>(step.number));
    Console::line("< result " + std::to_string(result));
    return result == 0;
}

bool HostSession::jackName() {
    Console::line("> jack client name");
    const char* name = mClient->getJackClientName(mOptions.clientName.c_str());
    Console::line(std::string("< jack client name ") +
                  (name != nullptr ? std::string("\"") + name + "\"" : "(null)"));
    return name != nullptr;
}

bool HostSession::awaitAnswers() {
    const std::chrono::milliseconds timeout(mOptions.waitMs);
    if (mOptions.expectedAnswers == 0) {
        std::this_thread::sleep_for(timeout);
        return true;
    }
    if (mListener.waitForAnswers(mOptions.expectedAnswers, timeout)) return true;
    Console::diagnostic("error: expected " + std::to_string(mOptions.expectedAnswers) +
                        " answers, got " + std::to_string(mListener.answerCount()));
    return false;
}

void HostSession::destroyClient() {
    if (!mClient) return;
    Console::line("destroying client " + mOptions.clientName);
    // The last reference: tears the JACK client down, destroys the module's
    // object and closes its library, still with our listener in place.
    mClient.reset();
    android::OXAClient::setListener(nullptr);
    Console::line("answers received: " + std::to_string(mListener.answerCount()));
}

}  // namespace oxahost
