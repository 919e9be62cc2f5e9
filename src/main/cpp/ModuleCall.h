// The one way the client host calls into module code. Modules are written by
// other people and built apart from the library: whatever a module throws
// stops here, is logged once under the client host's tag, and the call counts
// as failed with the result it already has for failure. Nothing a module
// throws reaches Java or another module's callback path.
#ifndef MODULE_CALL_H
#define MODULE_CALL_H

#include <android/log.h>
#include <cxxabi.h>

#include <exception>
#include <string>
#include <utility>

#include "OvikLog.h"

namespace android {

class ModuleCall {
public:
    // Runs `body`; false when it threw, after the ERROR line
    // "<call> of client <client> threw: <what>".
    template <typename Body>
    static bool run(const char* call, const std::string& client, Body&& body) {
        try {
            std::forward<Body>(body)();
            return true;
        } catch (abi::__forced_unwind&) {
            // Thread cancellation unwinds through here; it must go on.
            throw;
        } catch (const std::exception& exception) {
            logThrown(call, client, exception.what());
        } catch (...) {
            logThrown(call, client, "an exception that is not a std::exception");
        }
        return false;
    }

    // The result of `body`, or `failure` when it threw.
    template <typename Result, typename Body>
    static Result result(const char* call, const std::string& client, Result failure, Body&& body) {
        Result value = failure;
        run(call, client, [&] { value = std::forward<Body>(body)(); });
        return value;
    }

private:
    static void logThrown(const char* call, const std::string& client, const char* what) {
        __android_log_print(ANDROID_LOG_ERROR, OVIK_HOST_LOG_TAG, "%s of client %s threw: %s", call,
                            client.c_str(), what != nullptr ? what : "(null)");
    }
};

}  // namespace android

#endif  // MODULE_CALL_H
