// Raises text notifications on a native thread that attached itself to the
// VM beforehand, the way a holder of the listener with a Java-aware thread of
// its own would, so tests can see that the listener neither attaches nor
// detaches such a thread.
#ifndef OVIK_JVM_ATTACHED_NOTIFIER_H
#define OVIK_JVM_ATTACHED_NOTIFIER_H

#include <jni.h>

#include <string>

class AttachedNotifier {
public:
    // The thread's name as Java sees it.
    static const char kThreadName[];

    // Runs `count` notifications (0, i, objectId, text) for i from 0 on a new
    // thread attached as kThreadName, and joins it. Returns how many of them
    // left the thread attached, or -1 when the thread could not attach or
    // no listener exists yet.
    static int run(JavaVM* vm, int objectId, int count, const std::string& text);
};

#endif  // OVIK_JVM_ATTACHED_NOTIFIER_H
