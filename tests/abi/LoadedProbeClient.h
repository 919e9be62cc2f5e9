// A client of the real host, named "abi_<object id>", that has loaded the
// probe module with an "init_client:" command, with a RecordingListener as
// the listener of every client for its lifetime. The listener starts empty
// once the module is loaded.
#ifndef OVIK_ABI_LOADED_PROBE_CLIENT_H
#define OVIK_ABI_LOADED_PROBE_CLIENT_H

#include <memory>
#include <string>

#include "OXAClient.h"
#include "RecordingListener.h"

class LoadedProbeClient {
public:
    explicit LoadedProbeClient(int objectId);
    // Destroys the client first, then stops listening.
    ~LoadedProbeClient();
    LoadedProbeClient(const LoadedProbeClient&) = delete;
    LoadedProbeClient& operator=(const LoadedProbeClient&) = delete;

    // False when the client was refused or the module did not load.
    bool isLoaded() const { return mClient != nullptr && mLoadResult == 0; }
    android::OXAClient& client() { return *mClient; }
    RecordingListener& listener() { return mListener; }
    // Sends "<name>!<text>" and gives the client's result.
    int command(const std::string& text);

private:
    RecordingListener mListener;
    std::string mName;
    std::shared_ptr<android::OXAClient> mClient;
    int mLoadResult;
};

#endif  // OVIK_ABI_LOADED_PROBE_CLIENT_H
