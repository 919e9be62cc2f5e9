// What the realtime probe shares with the C library functions that oxa-host
// defines in its place (RealtimeInterposers.cpp). Internal to the check.
#ifndef OXA_HOST_REALTIME_WATCH_H
#define OXA_HOST_REALTIME_WATCH_H

namespace oxahost {
namespace realtime {

// Called first by every caught function: records `call` with its stack when
// this thread is watched, the probe is armed and the module's code is on the
// stack. Cheap otherwise. `caller` is the address the caught function returns
// to (a default argument is evaluated in the calling function): it names the
// calling frame where the stack cannot be unwound.
void caught(const char* call, const void* caller = __builtin_return_address(0));
// Whether a caught call on this thread would be looked at.
bool watching();
// Whether a thread that `creator` (a return address) starts is to be
// watched: libjack starts it while the probe watches new threads.
bool isJackThreadToWatch(const void* creator);
// Marks the calling thread as watched.
void watchThisThread();

}  // namespace realtime
}  // namespace oxahost

#endif  // OXA_HOST_REALTIME_WATCH_H
