// The calling thread's JNI environment, or null when it is not attached.
#ifndef ENV_REF_H
#define ENV_REF_H

#include <jni.h>

#include "OXACommon.h"

class OXA_EXPORT EnvRef {
public:
    // Never attaches; logs when there is no VM or GetEnv answers oddly.
    static JNIEnv* getEnv();
};

#endif  // ENV_REF_H
