package com.morvane.android.sdk.kestrova;

/**
 * A service class that lacks the data callback postDataEventFromNative, to
 * check that the library refuses to load into it. It runs in a JVM of its
 * own, with this folder's classes in place of the real service class.
 */
public class OvikServiceInstallable {
    static {
        System.loadLibrary("OvikServiceJni");
    }

    private static void postEventFromNative(Object ref, int msgType, int ext1, int ext2, Object obj) {
    }
}
