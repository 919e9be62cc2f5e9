// What the fake Java VM hands out and what it records. Plain data only.
#ifndef OVIK_FAKE_JNI_TYPES_H
#define OVIK_FAKE_JNI_TYPES_H

#include <jni.h>

#include <string>
#include <thread>

// Every jobject the fake hands out points at one of these. They live until
// the process ends, so a reference the library keeps never dangles.
struct FakeObject {
    enum Kind { kClass, kString, kDirectBuffer, kHeapBuffer, kThrowable, kPlain };
    Kind kind;
    std::string text;  // class path, string bytes or throwable class
    void* address;     // direct buffers
    jlong capacity;    // direct buffers
};

// One call of a static callback method, with its arguments as the library
// passed them.
struct CallbackCall {
    jclass clazz;
    jmethodID method;
    jobject first;
    jint msgType;
    jint ext1;
    jint ext2;
    bool lastIsNull;
    std::string text;  // the string's bytes (event callbacks)
    void* address;     // the buffer's address (data callbacks)
    jlong capacity;    // the buffer's capacity (data callbacks)
    std::thread::id thread;
};

// One step in the order of events on a thread: "attach", "detach", "call",
// "describe", "clear", "throw", "check".
struct ThreadEvent {
    std::thread::id thread;
    std::string what;
};

#endif  // OVIK_FAKE_JNI_TYPES_H
