#include "HostedModule.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace oxahost {

namespace {

// Labels of the report: a readable start of the text.
std::string label(const std::string& text) {
    const size_t kShown = 40;
    std::string shown;
    for (size_t i = 0; i < text.size() && i < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        shown += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    if (text.size() > kShown) shown += "... (" + std::to_string(text.size()) + " bytes)";
    return "\"" + shown + "\"";
}

}  // namespace

HostedModule::HostedModule(const CheckContext& context, AnswerLog& answers, CallClock& clock,
                           const char* clientName)
    : mContext(context), mAnswers(answers), mClock(clock), mClientName(clientName) {}

HostedModule::~HostedModule() {
    destroy();
}

bool HostedModule::load() {
    destroy();
    mAnswers.setPhase(AnswerLog::kRunning);
    mClient = android::OXAClient::createInstance(clientName(), "oxa-host check", getpid());
    if (!mClient) return false;
    android::OXAClient::setListener(&mAnswers);
    const int result = command("init_client:" + mContext.packageName + ":" + mContext.moduleFile +
                               ":" + mContext.moduleDir);
    if (result != 0) {
        mClient.reset();
        return false;
    }
    return true;
}

int HostedModule::command(const std::string& text) {
    if (!mClient) return 1;
    const std::string addressed = std::string(clientName()) + "!" + text;
    int result = 1;
    const AnswerLog::Commanding commanding(objectId());
    mClock.measure(label(text) + mStateLabel,
                   [&] { result = mClient->sendCommand(addressed.c_str()); });
    return result;
}

int32_t HostedModule::objectId() const {
    const char* underscore = strrchr(mClientName, '_');
    return underscore != nullptr ? static_cast<int32_t>(atoi(underscore + 1)) : 0;
}

bool HostedModule::request(const char* what, long ext1, long capacity) {
    if (!mClient) return false;
    bool filled = false;
    mClock.measure("request " + label(what) + " of " + std::to_string(capacity) + " bytes", [&] {
        size_t used = 0;
        filled = mClient->request(what, ext1, capacity, used) != nullptr;
    });
    return filled;
}

int HostedModule::stream(const void* bytes, long length, int id) {
    if (!mClient) return 1;
    int result = 1;
    mClock.measure("stream of " + std::to_string(length) + " bytes",
                   [&] { result = mClient->sendStream(bytes, length, id); });
    return result;
}

const char* HostedModule::jackName() {
    if (!mClient) return nullptr;
    const char* name = nullptr;
    mClock.measure("jack client name", [&] { name = mClient->getJackClientName(clientName()); });
    return name;
}

void HostedModule::destroy() {
    if (!mClient) return;
    mAnswers.setPhase(AnswerLog::kDestroying);
    mClock.measure("destroy", [&] { mClient.reset(); });
    mAnswers.setPhase(AnswerLog::kDestroyed);
}

}  // namespace oxahost
