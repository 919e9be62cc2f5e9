package com.morvane.ovik.jvmtest.support;

/** What the suites ask the helper library beyond the log. */
public final class NativeHelper {
    /** The name Java sees for the helper's pre-attached native thread. */
    public static final String ATTACHED_THREAD_NAME = "ovik-attached-notifier";

    static {
        System.loadLibrary("ovikjvmtest");
    }

    private NativeHelper() {}

    /** The number of clients in the library's registry. */
    public static native int registeredClients();

    /**
     * Raises {@code count} text notifications (0, i, objectId, text) on a native
     * thread that attached itself to the VM first; returns how many of them left
     * that thread attached, or -1 when it could not run.
     */
    public static native int notifyFromAttachedThread(int objectId, int count, String text);

    /** Keeps a module library loaded for the rest of the process. */
    public static native boolean pinModule(String path);

    /** A module library's counter function's value, or -1. */
    public static native int moduleCount(String path, String symbol);
}
