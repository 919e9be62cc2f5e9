package com.morvane.ovik.jvmtest.support;

/** One line the process wrote to the Android log. */
public record LogLine(int priority, String tag, String message) {
    public static final int DEBUG = 3;
    public static final int INFO = 4;
    public static final int ERROR = 6;

    /** The library's client host. */
    public static final String HOST_TAG = "VAD-OXAClient";
    /** The library's Java bridge. */
    public static final String BRIDGE_TAG = "ZEZE-OvikServiceJNI";

    public static LogLine debug(String tag, String message) {
        return new LogLine(DEBUG, tag, message);
    }

    public static LogLine info(String tag, String message) {
        return new LogLine(INFO, tag, message);
    }

    public static LogLine error(String tag, String message) {
        return new LogLine(ERROR, tag, message);
    }

    @Override
    public String toString() {
        return priority + " " + tag + ": \"" + message + "\"";
    }
}
