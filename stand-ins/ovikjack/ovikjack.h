/* Stand-in for the closed JACK loader library libovikjack.so, which the
 * service library links on the device. It opens a JACK client library at run
 * time and resolves the functions a JACK client needs.
 *
 * Threads: not thread-safe; the service calls it from one Java thread at a
 * time, and unloads only while no client is registered. */
#ifndef OVIKJACK_H
#define OVIKJACK_H

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the JACK library at `path` (replacing one loaded before) and
 * resolves every JACK client function. Non-zero only when all of them
 * resolve; otherwise nothing stays open. */
int load_jack_lib_symbols(const char* path);

/* Closes the library opened by load_jack_lib_symbols; harmless when none is
 * open. Returns 1 when a library was closed, 0 otherwise. */
int unload_jack_lib_symbols(void);

/* The address of a resolved JACK function, or null when no library is loaded
 * or `name` is not one of the functions this loader resolves. */
void* ovikjack_symbol(const char* name);

#ifdef __cplusplus
}
#endif

#endif /* OVIKJACK_H */
