/* Looks like a JACK library at first sight: it has jack_client_open and
 * jack_client_close, but none of the other functions a client needs. */
#include <stddef.h>

void* jack_client_open(const char* name, int options, int* status) {
    (void)name;
    (void)options;
    if (status != NULL) *status = 0;
    return NULL;
}

int jack_client_close(void* client) {
    (void)client;
    return 0;
}
