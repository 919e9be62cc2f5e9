package com.morvane.ovik.jvmtest.support;

import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.regex.Pattern;

/**
 * The lines of the Android log, captured by the helper library through
 * liblog's logger hook. Loading this class loads the helper, so a suite
 * touches it before the service class to capture the library's load lines.
 */
public final class NativeLog {
    private static final List<LogLine> sLines = new ArrayList<>();

    static {
        System.loadLibrary("ovikjvmtest");
    }

    private NativeLog() {}

    /** Takes the lines captured since the last call, encoded by the helper. */
    private static native byte[] take();

    /** Every line since the last {@link #clear}, in the order written. */
    public static synchronized List<LogLine> lines() {
        collect();
        return new ArrayList<>(sLines);
    }

    /** Every line since the last {@link #clear} or drain, which it also forgets. */
    public static synchronized List<LogLine> drain() {
        collect();
        List<LogLine> lines = new ArrayList<>(sLines);
        sLines.clear();
        return lines;
    }

    public static synchronized void clear() {
        collect();
        sLines.clear();
    }

    /** The lines of one priority and tag whose message matches {@code regex} whole. */
    public static List<LogLine> matching(int priority, String tag, String regex) {
        Pattern pattern = Pattern.compile(regex, Pattern.DOTALL);
        List<LogLine> found = new ArrayList<>();
        for (LogLine line : lines()) {
            if (line.priority() == priority && line.tag().equals(tag)
                    && pattern.matcher(line.message()).matches()) {
                found.add(line);
            }
        }
        return found;
    }

    public static List<LogLine> withTags(String... tags) {
        List<LogLine> found = new ArrayList<>();
        for (LogLine line : lines()) {
            for (String tag : tags) {
                if (line.tag().equals(tag)) found.add(line);
            }
        }
        return found;
    }

    private static void collect() {
        byte[] bytes = take();
        int at = 0;
        while (at < bytes.length) {
            int priority = bytes[at++];
            int tagEnd = indexOfZero(bytes, at);
            int messageEnd = indexOfZero(bytes, tagEnd + 1);
            sLines.add(new LogLine(priority, text(bytes, at, tagEnd),
                    text(bytes, tagEnd + 1, messageEnd)));
            at = messageEnd + 1;
        }
    }

    private static int indexOfZero(byte[] bytes, int from) {
        int at = from;
        while (bytes[at] != 0) at++;
        return at;
    }

    private static String text(byte[] bytes, int from, int to) {
        return new String(bytes, from, to - from, StandardCharsets.UTF_8);
    }
}
