// Added to a module by the kit's ovik_wave_link_jack(): keeps JACK's client
// library loaded for the rest of the process once the module has loaded it.
//
// The module is linked against libjack, so the loader maps libjack with the
// module and, without this, unmaps it again when the host closes the module
// (every destroy of a client). libjack creates thread-specific keys and
// allocates in its load-time constructors and never gives them back: each
// load leaks, and a service that creates and destroys clients runs out of
// pthread keys. Pinned, it is set up once per process.
#include <dlfcn.h>
#include <jack/jack.h>
#include <stdint.h>

namespace {

// Runs when the module is loaded, after libjack's own constructors.
__attribute__((constructor)) void ovikKeepJackLoaded() {
    // The library that defines jack_client_open, by whatever name and path
    // the loader found it.
    Dl_info jack;
    void* function = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(&jack_client_open));
    if (dladdr(function, &jack) == 0 || jack.dli_fname == nullptr) return;
    // It is loaded already: RTLD_NOLOAD takes one more reference without
    // loading anything, and RTLD_NODELETE keeps it mapped after the
    // module's references are dropped. The handle is never closed.
    dlopen(jack.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace
