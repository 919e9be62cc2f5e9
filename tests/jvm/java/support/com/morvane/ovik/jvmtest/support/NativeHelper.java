package com.morvane.ovik.jvmtest.support;

/** What the suites ask the helper library beyond the log. */
public final class NativeHelper {
    /** The name Java sees for the helper's pre-attached native thread. */
    public static final String ATTACHED_THREAD_NAME = "ovik-attached-notifier";

    /** The USB control change that lists the clients: a reason and a text no module sends. */
    private static final int REGISTRY_PROBE_MSG_TYPE = 1123;
    private static final int REGISTRY_PROBE_REASON = -31;
    private static final String REGISTRY_PROBE_TEXT = "ovik-jvmtest registry probe";

    /** On the thread that lists the clients, the number of its events seen so far. */
    private static final ThreadLocal<int[]> sProbeEvents = new ThreadLocal<>();

    static {
        System.loadLibrary("ovikjvmtest");
    }

    private NativeHelper() {}

    /**
     * The number of clients in the library's registry. The library's listener
     * broadcasts a USB control change to every registered client, on this
     * thread, before the call returns; the installed event sink hands each of
     * those events to {@link #isRegistryProbeEvent}, which counts it.
     */
    public static int registeredClients() {
        int[] seen = {0};
        sProbeEvents.set(seen);
        try {
            // No listener yet: the library makes it with the first client it
            // registers, so it never had one.
            if (!broadcastToClients(REGISTRY_PROBE_REASON, REGISTRY_PROBE_TEXT)) return 0;
        } finally {
            sProbeEvents.remove();
        }
        return seen[0];
    }

    /**
     * Whether a text event is one of {@link #registeredClients}'s own; an event
     * sink asks first and passes those over. Counts them.
     */
    public static boolean isRegistryProbeEvent(int msgType, int ext1, Object obj) {
        int[] seen = sProbeEvents.get();
        if (seen == null || msgType != REGISTRY_PROBE_MSG_TYPE || ext1 != REGISTRY_PROBE_REASON
                || !REGISTRY_PROBE_TEXT.equals(obj)) {
            return false;
        }
        ++seen[0];
        return true;
    }

    /** Has the library's listener broadcast a USB control change; false without a listener. */
    private static native boolean broadcastToClients(int reason, String text);

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
