#include "JoiningJackClient.h"

JoiningJackClient::JoiningJackClient(android::IOXAInterface* owner) : mOwner(owner) {}

JoiningJackClient::~JoiningJackClient() {
    tearDown();
}

int JoiningJackClient::setUp(int, char**) {
    if (mThread.joinable()) return 1;
    mStopping = false;
    mThread = std::thread(&JoiningJackClient::waitThenAnswer, this);
    return 0;
}

int JoiningJackClient::tearDown() {
    if (!mThread.joinable()) return 0;
    {
        std::lock_guard<std::mutex> lock(mLock);
        mStopping = true;
    }
    mWake.notify_all();
    mThread.join();
    return 0;
}

void JoiningJackClient::waitThenAnswer() {
    {
        std::unique_lock<std::mutex> lock(mLock);
        mWake.wait(lock, [this] { return mStopping; });
    }
    mOwner->response("last word");
}
