// One run of oxa-host: a client, the module loaded into it, the steps of the
// command line in order, then the client destroyed.
#ifndef OXA_HOST_HOST_SESSION_H
#define OXA_HOST_HOST_SESSION_H

#include <functional>
#include <memory>
#include <string>

#include "HostOptions.h"
#include "OXAClient.h"
#include "PrintingListener.h"

namespace oxahost {

class HostSession {
public:
    explicit HostSession(const HostOptions& options);
    ~HostSession();

    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // The process exit status: 0 when the module loaded, every step
    // succeeded and the expected answers arrived; 1 otherwise.
    int run();
    // Called once the host has tried to load the module, with whether it
    // did: the place to say why it did not, or what it loaded instead.
    void onLoad(std::function<void(bool loaded)> observer) { mOnLoad = std::move(observer); }
    // Called before each step of the command line, with its name.
    void onStepStart(std::function<void(const std::string& step)> observer) {
        mOnStepStart = std::move(observer);
    }
    // The listener that prints the answers.
    PrintingListener& listener() { return mListener; }
    // Called after each step the module took ("init_client", "activate",
    // "request letters"), with its name: the place to see what it started.
    void onStep(std::function<void(const std::string& step)> observer) {
        mOnStep = std::move(observer);
    }

private:
    bool createClient();
    bool sendCommand(const std::string& command);
    bool runStep(const HostStep& step);
    bool request(const HostStep& step);
    bool stream(const HostStep& step);
    bool jackName();
    bool awaitAnswers();
    void destroyClient();
    static std::string stepName(const HostStep& step);

    const HostOptions& mOptions;
    // Declared before the client: it must outlive every answer.
    PrintingListener mListener;
    std::shared_ptr<android::OXAClient> mClient;
    std::function<void(bool)> mOnLoad;
    std::function<void(const std::string&)> mOnStep;
    std::function<void(const std::string&)> mOnStepStart;
};

}  // namespace oxahost

#endif  // OXA_HOST_HOST_SESSION_H
