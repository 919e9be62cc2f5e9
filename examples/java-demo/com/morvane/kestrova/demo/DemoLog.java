package com.morvane.kestrova.demo;

/**
 * Lets the library's DEBUG lines through. On Linux liblog writes to stderr
 * and by default drops lines below INFO; on a device logcat decides instead.
 */
final class DemoLog {
    static {
        System.loadLibrary("ovikdemolog");
    }

    private DemoLog() {}

    /** Sets liblog's minimum priority for this process to VERBOSE. */
    static native void showAllPriorities();
}
