#include "LoadedProbeClient.h"

#include "ProbeLibrary.h"

LoadedProbeClient::LoadedProbeClient(int objectId)
    : mName("abi_" + std::to_string(objectId)), mLoadResult(1) {
    android::OXAClient::setListener(&mListener);
    mClient = android::OXAClient::createInstance(mName, "", 0);
    if (mClient == nullptr) return;
    mLoadResult =
        command("init_client:probe:" + ProbeLibrary::fileName() + ":" + ProbeLibrary::directory());
    // The module's answer to init() is not what the tests look at.
    mListener.clear();
}

LoadedProbeClient::~LoadedProbeClient() {
    mClient.reset();
    android::OXAClient::setListener(nullptr);
}

int LoadedProbeClient::command(const std::string& text) {
    return mClient->sendCommand((mName + "!" + text).c_str());
}
