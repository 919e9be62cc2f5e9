#include "EchoJackClient.h"

EchoJackClient::EchoJackClient(android::IOXAInterface* owner) : mOwner(owner) {}

int EchoJackClient::setUp(int, char**) {
    return 0;
}

int EchoJackClient::tearDown() {
    if (mFarewell) mOwner->response("teardown");
    return 0;
}

char* EchoJackClient::getJackClientName(const char* name) {
    if (mAnswerNames) mOwner->response((std::string("name ") + name).c_str());
    return mHasName ? &mName[0] : nullptr;
}

void EchoJackClient::setName(const char* name) {
    mHasName = name != nullptr;
    mName = name != nullptr ? name : "";
}
