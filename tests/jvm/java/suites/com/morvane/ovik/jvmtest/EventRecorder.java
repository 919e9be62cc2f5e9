package com.morvane.ovik.jvmtest;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import com.morvane.ovik.jvmtest.support.NativeHelper;
import java.nio.ByteBuffer;
import java.time.Duration;
import java.util.ArrayList;
import java.util.List;
import java.util.function.Consumer;
import java.util.function.Predicate;

/**
 * Keeps every event the library posts, on whatever thread it arrives, and
 * runs an optional reaction after recording it (a reaction may throw, or
 * call back into the library).
 */
public final class EventRecorder implements OvikServiceInstallable.EventSink {
    private final List<Event> mEvents = new ArrayList<>();
    private volatile Consumer<Event> mReaction;

    @Override
    public void onEvent(int msgType, int ext1, int ext2, Object obj) {
        if (NativeHelper.isRegistryProbeEvent(msgType, ext1, obj)) return;
        record(Event.text(msgType, ext1, ext2, obj));
    }

    @Override
    public void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer) {
        record(Event.data(msgType, ext1, ext2, buffer));
    }

    public void setReaction(Consumer<Event> reaction) {
        mReaction = reaction;
    }

    public synchronized void clear() {
        mEvents.clear();
    }

    public synchronized List<Event> events() {
        return new ArrayList<>(mEvents);
    }

    public List<Event> matching(Predicate<Event> which) {
        List<Event> found = new ArrayList<>();
        for (Event event : events()) {
            if (which.test(event)) found.add(event);
        }
        return found;
    }

    /** Waits until {@code count} events match; returns them, or fewer on time-out. */
    public synchronized List<Event> await(Predicate<Event> which, int count, Duration timeout)
            throws InterruptedException {
        long deadline = System.nanoTime() + timeout.toNanos();
        List<Event> found = matching(which);
        while (found.size() < count) {
            long left = deadline - System.nanoTime();
            if (left <= 0) break;
            wait(Math.max(1, left / 1_000_000));
            found = matching(which);
        }
        return found;
    }

    private void record(Event event) {
        synchronized (this) {
            mEvents.add(event);
            notifyAll();
        }
        Consumer<Event> reaction = mReaction;
        if (reaction != null) reaction.accept(event);
    }
}
