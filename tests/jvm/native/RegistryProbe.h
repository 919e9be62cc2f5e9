// Reads how many clients the library's registry holds. The registry is not
// exported (nothing but these suites asks for it), so the probe finds its
// count function in the library file's full symbol table, as a debugger
// would, and calls it at the address the library was loaded at.
#ifndef OVIK_JVM_REGISTRY_PROBE_H
#define OVIK_JVM_REGISTRY_PROBE_H

class RegistryProbe {
public:
    // The number of registered clients; -1 when the library is stripped or
    // the function cannot be found.
    static int clientCount();
};

#endif  // OVIK_JVM_REGISTRY_PROBE_H
