package com.morvane.android.sdk.kestrova;

import java.nio.ByteBuffer;

/**
 * The Java half of the service: loads libOvikServiceJni.so, declares its
 * twelve native methods, and receives the library's events through two static
 * callbacks, which it hands to the installed {@link EventSink}.
 *
 * <p>The callbacks run on whichever thread the library delivers an event on: a
 * Java thread inside a native call, or a module's own thread that the library
 * attached for the length of one event. A data event's buffer addresses the
 * module's memory and is valid only during the callback.
 */
public class OvikServiceInstallable {
    /** Receives every event the library posts. */
    public interface EventSink {
        void onEvent(int msgType, int ext1, int ext2, Object obj);

        void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer);
    }

    private static volatile EventSink sEventSink;

    static {
        System.loadLibrary("OvikServiceJni");
    }

    public static void setEventSink(EventSink sink) {
        sEventSink = sink;
    }

    private static void postEventFromNative(Object ref, int msgType, int ext1, int ext2, Object obj) {
        EventSink sink = sEventSink;
        if (sink != null) sink.onEvent(msgType, ext1, ext2, obj);
    }

    private static void postDataEventFromNative(
            Object ref, int msgType, int ext1, int ext2, ByteBuffer buffer) {
        EventSink sink = sEventSink;
        if (sink != null) sink.onDataEvent(msgType, ext1, ext2, buffer);
    }

    public native int nativeGetNativeVersionCode();

    public native int nativeSetup(Object weakThis, String name, int objectId);

    public native int nativeSendCommand(int objectId, String command);

    public native int nativeDeleteClient(String name);

    public native ByteBuffer nativeRequest(int objectId, String what, long ext1, long capacity);

    public native int nativeIsAPILevelAllowed(int SDKAPILevel);

    public native int nativeSendStream(int objectId, String name, ByteBuffer byteBuffer, int id);

    public native int nativeGetTargetAPILevel();

    public native int nativeIsFeatureSupport(int feature);

    public native String nativeGetJackClientName(String name, String defaultName, int objectId);

    public native int nativeLoadJackLib(String filePathName);

    public native int nativeUnloadJackLib();
}
