package com.morvane.kestrova.demo;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.List;

/**
 * Prints every event of the service as it arrives and keeps what the demo
 * checks later. Events arrive on the calling Java thread (answers given inside
 * a native call) and on the module's own threads, which the library attaches
 * for the length of one event; hence the lock.
 */
final class EventRecorder implements OvikServiceInstallable.EventSink {
    private static final int PREVIEW_BYTES = 16;

    private final List<String> mTexts = new ArrayList<>();
    private final List<Integer> mDataLengths = new ArrayList<>();
    private int mEventCount;

    @Override
    public void onEvent(int msgType, int ext1, int ext2, Object obj) {
        String text = obj == null ? null : obj.toString();
        System.out.printf("event msgType=%d ext1=%d ext2=%d text=%s [%s]%n", msgType, ext1, ext2,
                text == null ? "null" : "\"" + text + "\"", Thread.currentThread().getName());
        synchronized (this) {
            mTexts.add(ext2 + "/" + ext1 + "/" + text);
            mEventCount++;
            notifyAll();
        }
    }

    @Override
    public void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer) {
        // The buffer is the module's memory: read it now, never keep it.
        int length = buffer == null ? -1 : buffer.capacity();
        System.out.printf("data event msgType=%d ext1=%d ext2=%d length=%d preview=%s [%s]%n",
                msgType, ext1, ext2, length, hexPreview(buffer),
                Thread.currentThread().getName());
        synchronized (this) {
            mDataLengths.add(length);
            mEventCount++;
            notifyAll();
        }
    }

    /** Waits until a text event of the object with the id and text arrived. */
    synchronized boolean awaitText(int objectId, int id, String text, long timeoutMs)
            throws InterruptedException {
        String wanted = objectId + "/" + id + "/" + text;
        long deadline = System.nanoTime() + timeoutMs * 1_000_000L;
        while (!mTexts.contains(wanted)) {
            long leftMs = (deadline - System.nanoTime()) / 1_000_000L;
            if (leftMs <= 0) return false;
            wait(leftMs);
        }
        return true;
    }

    /** Waits until `count` text events of the object with the id start with `prefix`. */
    synchronized boolean awaitTexts(int objectId, int id, String prefix, int count, long timeoutMs)
            throws InterruptedException {
        String wanted = objectId + "/" + id + "/" + prefix;
        long deadline = System.nanoTime() + timeoutMs * 1_000_000L;
        while (mTexts.stream().filter(text -> text.startsWith(wanted)).count() < count) {
            long leftMs = (deadline - System.nanoTime()) / 1_000_000L;
            if (leftMs <= 0) return false;
            wait(leftMs);
        }
        return true;
    }

    /** Waits until a data event of `length` bytes arrived. */
    synchronized boolean awaitData(int length, long timeoutMs) throws InterruptedException {
        long deadline = System.nanoTime() + timeoutMs * 1_000_000L;
        while (!mDataLengths.contains(length)) {
            long leftMs = (deadline - System.nanoTime()) / 1_000_000L;
            if (leftMs <= 0) return false;
            wait(leftMs);
        }
        return true;
    }

    synchronized int eventCount() {
        return mEventCount;
    }

    static String hexPreview(ByteBuffer buffer) {
        if (buffer == null) return "(null)";
        StringBuilder text = new StringBuilder();
        int shown = Math.min(buffer.capacity(), PREVIEW_BYTES);
        for (int i = 0; i < shown; i++) {
            if (i > 0) text.append(' ');
            text.append(String.format("%02x", buffer.get(i) & 0xff));
        }
        if (shown < buffer.capacity()) text.append(" ...");
        return text.toString();
    }
}
