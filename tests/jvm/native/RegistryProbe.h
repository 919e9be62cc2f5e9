// Has the library list its registered clients to Java, through what it
// exports: the process-wide listener's broadcast of a USB control change
// reaches Java once for every registered client, on the calling thread and
// before it returns. The broadcast carries a reason and a text no module
// uses, so the suites' event sinks know its events and count them instead
// of recording them (NativeHelper.registeredClients()).
#ifndef OVIK_JVM_REGISTRY_PROBE_H
#define OVIK_JVM_REGISTRY_PROBE_H

class RegistryProbe {
public:
    // Broadcasts `text` with reason `reason` to every registered client.
    // False when the library has no listener yet: it makes its listener with
    // the first client it registers, so none was ever registered.
    static bool broadcast(int reason, const char* text);
};

#endif  // OVIK_JVM_REGISTRY_PROBE_H
