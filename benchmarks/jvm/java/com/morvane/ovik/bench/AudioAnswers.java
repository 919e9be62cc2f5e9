package com.morvane.ovik.bench;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import java.nio.ByteBuffer;
import java.util.concurrent.locks.LockSupport;

/**
 * The Java side of the audio-thread rows: takes 1 ms over every answer of the
 * module's other thread (id 3), as a slow service would, and counts the
 * audio thread's answers (id 4). One thread delivers at a time.
 */
final class AudioAnswers implements OvikServiceInstallable.EventSink {
    static final int BUSY_ID = 3;
    static final int AUDIO_ID = 4;
    private static final long BUSY_NANOS = 1_000_000;

    private volatile long mAudio;
    private volatile long mBad;

    void reset() {
        mAudio = 0;
        mBad = 0;
    }

    long audio() {
        return mAudio;
    }

    long bad() {
        return mBad;
    }

    @Override
    public void onEvent(int msgType, int ext1, int ext2, Object obj) {
        if (msgType == 0 && ext1 == BUSY_ID) {
            long end = System.nanoTime() + BUSY_NANOS;
            for (long left = BUSY_NANOS; left > 0; left = end - System.nanoTime()) {
                LockSupport.parkNanos(left);
            }
        } else if (msgType == 0 && ext1 == AUDIO_ID) {
            mAudio = mAudio + 1;
        } else {
            mBad = mBad + 1;
        }
    }

    @Override
    public void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer) {
        mBad = mBad + 1;
    }
}
