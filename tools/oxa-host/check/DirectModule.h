// The module's processing object made and initialised by the validator
// itself, the way the host makes it, for the checks that must hand it what
// the host cannot (guarded blocks) or look at it without calling it (its
// virtual tables). It is also the object's response interface; answers are
// counted and dropped.
#ifndef OXA_HOST_DIRECT_MODULE_H
#define OXA_HOST_DIRECT_MODULE_H

#include <atomic>
#include <string>

#include "CheckContext.h"
#include "IOXAInterface.h"
#include "IOXAResponseInterfaceV2.h"
#include "ModuleLibrary.h"

namespace oxahost {

class DirectModule : public IOXAResponseInterfaceV2 {
public:
    explicit DirectModule(const CheckContext& context);
    // Destroys the object through oxa_destroy (when the module has it).
    ~DirectModule() override;

    // Opens the library, checks the API level as the host does, creates the
    // object and calls init(); false with the reason in `error`.
    bool open(std::string* error);
    android::IOXAInterface* object() const { return mObject; }
    const ModuleLibrary& library() const { return mLibrary; }

    void responseToService(const char* message) override;
    void responseToService(const int32_t ext1, const size_t len, const void* data) override;
    void responseToService(const int id, const char* message) override;
    int getTargetAPILevel() override;

private:
    ModuleLibrary mLibrary;
    android::IOXAInterface* mObject;
    std::atomic<long> mAnswers;
};

}  // namespace oxahost

#endif  // OXA_HOST_DIRECT_MODULE_H
