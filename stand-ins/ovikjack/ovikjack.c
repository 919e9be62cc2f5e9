#include "ovikjack.h"

#include <dlfcn.h>
#include <stddef.h>
#include <string.h>

#define OVIKJACK_EXPORT __attribute__((visibility("default")))

/* The JACK client functions a JACK client of a module needs. */
static const char* const kJackFunctions[] = {
    "jack_client_open",          "jack_client_close",    "jack_activate",
    "jack_deactivate",           "jack_port_register",   "jack_port_get_buffer",
    "jack_set_process_callback", "jack_get_sample_rate", "jack_get_buffer_size",
};
#define JACK_FUNCTION_COUNT (sizeof(kJackFunctions) / sizeof(kJackFunctions[0]))

static void* sJackLibrary = NULL;
static void* sJackFunctions[JACK_FUNCTION_COUNT];

static int resolveAll(void* library, void** functions) {
    for (size_t i = 0; i < JACK_FUNCTION_COUNT; ++i) {
        dlerror();
        functions[i] = dlsym(library, kJackFunctions[i]);
        if (functions[i] == NULL) return 0;
    }
    return 1;
}

OVIKJACK_EXPORT int load_jack_lib_symbols(const char* path) {
    if (path == NULL) return 0;
    unload_jack_lib_symbols();
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) return 0;
    void* functions[JACK_FUNCTION_COUNT];
    if (!resolveAll(library, functions)) {
        dlclose(library);
        return 0;
    }
    memcpy(sJackFunctions, functions, sizeof(functions));
    sJackLibrary = library;
    return 1;
}

OVIKJACK_EXPORT int unload_jack_lib_symbols(void) {
    if (sJackLibrary == NULL) return 0;
    memset(sJackFunctions, 0, sizeof(sJackFunctions));
    dlclose(sJackLibrary);
    sJackLibrary = NULL;
    return 1;
}

OVIKJACK_EXPORT void* ovikjack_symbol(const char* name) {
    if (sJackLibrary == NULL || name == NULL) return NULL;
    for (size_t i = 0; i < JACK_FUNCTION_COUNT; ++i) {
        if (strcmp(kJackFunctions[i], name) == 0) return sJackFunctions[i];
    }
    return NULL;
}
