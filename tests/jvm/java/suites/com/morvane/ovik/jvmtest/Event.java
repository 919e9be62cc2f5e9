package com.morvane.ovik.jvmtest;

import java.nio.ByteBuffer;

/**
 * One event the library posted to Java: a text event's string, or a copy of a
 * data event's bytes with its buffer's properties, and the thread it came on.
 */
public record Event(int msgType, int ext1, int ext2, Object obj, byte[] data,
        boolean directBuffer, int bufferCapacity, Thread thread) {

    static Event text(int msgType, int ext1, int ext2, Object obj) {
        return new Event(msgType, ext1, ext2, obj, null, false, -1, Thread.currentThread());
    }

    static Event data(int msgType, int ext1, int ext2, ByteBuffer buffer) {
        byte[] bytes = null;
        if (buffer != null) {
            bytes = new byte[buffer.capacity()];
            buffer.duplicate().get(bytes);
        }
        return new Event(msgType, ext1, ext2, null, bytes, buffer != null && buffer.isDirect(),
                buffer == null ? -1 : buffer.capacity(), Thread.currentThread());
    }

    public String text() {
        return (String) obj;
    }

    public boolean isText(int ext1, int ext2, String text) {
        return msgType == 0 && this.ext1 == ext1 && this.ext2 == ext2 && text.equals(obj);
    }

    @Override
    public String toString() {
        return "(" + msgType + ", " + ext1 + ", " + ext2 + ", "
                + (data != null ? data.length + " bytes" : "\"" + obj + "\"") + ") on "
                + thread.getName();
    }
}
