// The demo's one native helper: liblog's minimum priority is per process, so
// setting it here also shows the service library's DEBUG lines.
#include <android/log.h>
#include <jni.h>

extern "C" JNIEXPORT void JNICALL Java_com_morvane_kestrova_demo_DemoLog_showAllPriorities(JNIEnv*,
                                                                                           jclass) {
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
}
