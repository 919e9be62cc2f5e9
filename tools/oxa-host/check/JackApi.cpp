#include "JackApi.h"

#include <dlfcn.h>

namespace oxahost {

namespace {

template <typename Function>
bool resolve(void* library, const char* name, Function& function, std::string* missing) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr && missing->empty()) *missing = name;
    return function != nullptr;
}

}  // namespace

bool JackApi::load(std::string* why) {
    // Kept loaded: libjack allocates in its constructors and never frees
    // that when it is unloaded.
    void* library = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr) {
        *why = "no JACK library (libjack.so.0)";
        return false;
    }
    std::string missing;
    resolve(library, "jack_client_open", clientOpen, &missing);
    resolve(library, "jack_client_close", clientClose, &missing);
    resolve(library, "jack_get_client_name", clientName, &missing);
    resolve(library, "jack_port_register", portRegister, &missing);
    resolve(library, "jack_port_get_buffer", portBuffer, &missing);
    resolve(library, "jack_port_name", portName, &missing);
    resolve(library, "jack_port_by_name", portByName, &missing);
    resolve(library, "jack_port_flags", portFlags, &missing);
    resolve(library, "jack_set_process_callback", setProcess, &missing);
    resolve(library, "jack_activate", activate, &missing);
    resolve(library, "jack_deactivate", deactivate, &missing);
    resolve(library, "jack_connect", connect, &missing);
    resolve(library, "jack_get_ports", getPorts, &missing);
    resolve(library, "jack_free", free, &missing);
    resolve(library, "jack_last_frame_time", lastFrameTime, &missing);
    resolve(library, "jack_set_buffer_size", setBufferSize, &missing);
    resolve(library, "jack_get_buffer_size", bufferSize, &missing);
    resolve(library, "jack_get_sample_rate", sampleRate, &missing);
    if (!missing.empty()) *why = "libjack.so.0 lacks " + missing;
    return missing.empty();
}

}  // namespace oxahost
