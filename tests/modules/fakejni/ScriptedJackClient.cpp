#include "ScriptedJackClient.h"

ScriptedJackClient::ScriptedJackClient(android::IOXAInterface* owner) : mOwner(owner) {}

int ScriptedJackClient::setUp(int, char**) {
    return 0;
}

int ScriptedJackClient::tearDown() {
    if (mFarewell) mOwner->response("teardown");
    return 0;
}

char* ScriptedJackClient::getJackClientName(const char* name) {
    if (mAnswerNames) mOwner->response((std::string("name ") + name).c_str());
    return mHasName ? &mName[0] : nullptr;
}

void ScriptedJackClient::setName(const char* name) {
    mHasName = name != nullptr;
    mName = name != nullptr ? name : "";
}
