// The module hosted by a real client of the library, as the service hosts
// it: loaded with "init_client:", driven by text commands, requests and
// streams, destroyed by dropping the last reference. Every call is timed.
#ifndef OXA_HOST_HOSTED_MODULE_H
#define OXA_HOST_HOSTED_MODULE_H

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "AnswerLog.h"
#include "CallClock.h"
#include "CheckContext.h"
#include "OXAClient.h"

namespace oxahost {

class HostedModule {
public:
    // `answers` and `clock` outlive the hosted module. `clientName` ends in
    // "_" and the client's object id.
    HostedModule(const CheckContext& context, AnswerLog& answers, CallClock& clock,
                 const char* clientName = "check_1");
    ~HostedModule();

    HostedModule(const HostedModule&) = delete;
    HostedModule& operator=(const HostedModule&) = delete;

    // A new client with the module loaded; false when the host refused it.
    bool load();
    // The command without the client name; the host's result.
    int command(const std::string& text);
    // A request into a block of `capacity` bytes; false when it failed.
    bool request(const char* what, long ext1, long capacity);
    int stream(const void* bytes, long length, int id);
    const char* jackName();
    // Drops the client (the module's object is destroyed); answers are
    // recorded as from inside destroy meanwhile, and as after destroy later.
    void destroy();
    bool loaded() const { return mClient != nullptr; }
    // The module's own commands of the command line (--command, --commands).
    const std::vector<std::string>& ownCommands() const { return mContext.moduleCommands; }
    // Added to the label of each command from now on, as the state the
    // module is in (" after \"deactivate\""); a crash report shows it.
    void setStateLabel(const std::string& label) { mStateLabel = label; }

    const char* clientName() const { return mClientName; }
    // The id the host stamps on this client's answers.
    int32_t objectId() const;

private:
    const CheckContext& mContext;
    AnswerLog& mAnswers;
    CallClock& mClock;
    const char* const mClientName;
    std::string mStateLabel;
    std::shared_ptr<android::OXAClient> mClient;
};

}  // namespace oxahost

#endif  // OXA_HOST_HOSTED_MODULE_H
