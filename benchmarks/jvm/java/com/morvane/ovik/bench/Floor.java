package com.morvane.ovik.bench;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import java.nio.ByteBuffer;

/**
 * The floor of each benchmark path: libovikbenchfloor.so makes the bare JNI
 * calls of the path and calls back into the two static methods here, which do
 * what the service class's callbacks do.
 */
final class Floor {
    private static volatile OvikServiceInstallable.EventSink sEventSink;

    static {
        System.loadLibrary("ovikbenchfloor");
    }

    static void setEventSink(OvikServiceInstallable.EventSink sink) {
        sEventSink = sink;
    }

    private static void postEventFromNative(Object ref, int msgType, int ext1, int ext2, Object obj) {
        OvikServiceInstallable.EventSink sink = sEventSink;
        if (sink != null) sink.onEvent(msgType, ext1, ext2, obj);
    }

    private static void postDataEventFromNative(
            Object ref, int msgType, int ext1, int ext2, ByteBuffer buffer) {
        OvikServiceInstallable.EventSink sink = sEventSink;
        if (sink != null) sink.onDataEvent(msgType, ext1, ext2, buffer);
    }

    /** Reads the command text and the processor clock twice. */
    native int command(String command);

    /** {@code count} text events (id 1) on the calling thread. */
    native int answers(int count, int objectId);

    /** {@code count} text events (id 2) from a native thread, attached for each. */
    native int threadAnswers(int count, int objectId);

    /** {@code count} data events of {@code size} bytes (ext1 {@code size}). */
    native int dataAnswers(int size, int count, int objectId);

    /** A fresh block of {@code size} bytes filled with 0x5a. */
    native ByteBuffer request(int size);

    /** Copies the buffer's bytes once. */
    native int copyStream(ByteBuffer stream);

    /** A counter function of a loaded module, or -1. */
    static native long moduleCounter(String library, String symbol);
}
