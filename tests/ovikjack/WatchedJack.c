/* Every JACK client function a client needs, doing nothing, and a hook that
 * runs while the library is being unloaded: a test steps in between the
 * loader's decision to unload and the unload itself. */
#include <stddef.h>

#define WATCHED_EXPORT __attribute__((visibility("default")))

static void (*sUnloadHook)(void) = NULL;

WATCHED_EXPORT void watched_jack_set_unload_hook(void (*hook)(void)) {
    sUnloadHook = hook;
}

__attribute__((destructor)) static void unloading(void) {
    if (sUnloadHook != NULL) sUnloadHook();
}

WATCHED_EXPORT void* jack_client_open(const char* name, int options, int* status) {
    (void)name;
    (void)options;
    if (status != NULL) *status = 1;
    return NULL;
}
WATCHED_EXPORT int jack_client_close(void* client) {
    (void)client;
    return 0;
}
WATCHED_EXPORT int jack_activate(void* client) {
    (void)client;
    return 1;
}
WATCHED_EXPORT int jack_deactivate(void* client) {
    (void)client;
    return 1;
}
WATCHED_EXPORT void* jack_port_register(void* client, const char* name, const char* type,
                                        unsigned long flags, unsigned long size) {
    (void)client;
    (void)name;
    (void)type;
    (void)flags;
    (void)size;
    return NULL;
}
WATCHED_EXPORT void* jack_port_get_buffer(void* port, unsigned int frames) {
    (void)port;
    (void)frames;
    return NULL;
}
WATCHED_EXPORT int jack_set_process_callback(void* client, void* callback, void* arg) {
    (void)client;
    (void)callback;
    (void)arg;
    return 1;
}
WATCHED_EXPORT unsigned int jack_get_sample_rate(void* client) {
    (void)client;
    return 0;
}
WATCHED_EXPORT unsigned int jack_get_buffer_size(void* client) {
    (void)client;
    return 0;
}
