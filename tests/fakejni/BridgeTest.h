// Base fixture of the bridge suites: a fake VM the library was loaded into,
// an empty registry, and helpers that call the native methods the way the
// Java service does. Every test ends with the registry emptied and fails if
// the library broke a JNI rule (a call with an exception pending, a string
// not released).
#ifndef OVIK_FAKEJNI_BRIDGE_TEST_H
#define OVIK_FAKEJNI_BRIDGE_TEST_H

#include <functional>
#include <string>
#include <vector>

#include "FakeJvm.h"
#include "LogCapture.h"

// The exported name of the Java service's native method `name`.
#define NATIVE(name) Java_com_morvane_android_sdk_kestrova_OvikServiceInstallable_##name

class BridgeTest : public LogCaptureTest {
protected:
    void SetUp() override;
    void TearDown() override;

    FakeJvm& fake() { return FakeJvm::instance(); }
    JNIEnv* env() { return fake().env(); }

    // nativeSetup with a fresh thiz and weak reference.
    jint setup(const std::string& name, jint objectId);
    jint command(jint objectId, const std::string& text);
    // Sets up `name` (whose text after its last "_" is `objectId`), loads
    // the module library `fileName` from the test module folder and starts
    // its JACK client.
    void loadModule(const std::string& name, jint objectId, const std::string& fileName);
    void loadScripted(const std::string& name, jint objectId);
    // Makes sure the listener exists, leaving the registry empty.
    void ensureListener();
    // Deletes the listener, so the next nativeSetup is the first one.
    void removeListener();

    std::vector<CallbackCall> callsWithType(jint msgType);
    // The texts of the event callbacks, in order.
    std::vector<std::string> texts();
    // The events on `thread` without the exception checks.
    std::vector<std::string> stepsOn(std::thread::id thread);
    // The bridge's lines at `priority`, in order.
    std::vector<std::string> bridgeLines(int priority);

    static std::string pointerText(const void* pointer);
};

// `body` made to run as a Java thread of the fake VM, for joinWithin().
std::function<void()> onJavaThread(std::function<void()> body);

extern const char kScriptedModule[];
extern const char kJoiningModule[];

#endif  // OVIK_FAKEJNI_BRIDGE_TEST_H
