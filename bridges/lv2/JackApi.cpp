#include "JackApi.h"

#include <dlfcn.h>

namespace wavelv2 {

namespace {

const char kJackLibrary[] = "libjack.so.0";

template <typename Function>
bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool resolveAll(void* library, JackApi& api) {
    return resolve(library, "jack_client_open", api.clientOpen) &&
           resolve(library, "jack_client_close", api.clientClose) &&
           resolve(library, "jack_get_client_name", api.getClientName) &&
           resolve(library, "jack_get_sample_rate", api.getSampleRate) &&
           resolve(library, "jack_get_buffer_size", api.getBufferSize) &&
           resolve(library, "jack_set_process_callback", api.setProcessCallback) &&
           resolve(library, "jack_port_register", api.portRegister) &&
           resolve(library, "jack_port_get_buffer", api.portGetBuffer) &&
           resolve(library, "jack_activate", api.activate) &&
           resolve(library, "jack_deactivate", api.deactivate) &&
           resolve(library, "jack_midi_get_event_count", api.midiEventCount) &&
           resolve(library, "jack_midi_event_get", api.midiEventGet);
}

const JackApi* open() {
    static JackApi api;
    void* library = dlopen(kJackLibrary, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr) return nullptr;
    const bool complete = resolveAll(library, api);
    // RTLD_NODELETE keeps the library, and the functions, after this.
    dlclose(library);
    return complete ? &api : nullptr;
}

}  // namespace

const JackApi* JackApi::get() {
    static const JackApi* const api = open();
    return api;
}

}  // namespace wavelv2
