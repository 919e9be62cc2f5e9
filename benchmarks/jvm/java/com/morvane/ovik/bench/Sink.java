package com.morvane.ovik.bench;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import java.nio.ByteBuffer;

/**
 * Counts the events of one block, and those that differ from what the block
 * expects. One thread delivers at a time; the block reads the counts after
 * its native call returned.
 */
final class Sink implements OvikServiceInstallable.EventSink {
    static final String TEXT = "benchmark answer";
    static final int DATA_TYPE = 1122;
    static final byte DATA_BYTE = 0x3c;

    private volatile int mId;
    private volatile int mObjectId;
    private volatile long mGood;
    private volatile long mBad;

    void expect(int id, int objectId) {
        mId = id;
        mObjectId = objectId;
        mGood = 0;
        mBad = 0;
    }

    long good() {
        return mGood;
    }

    long bad() {
        return mBad;
    }

    @Override
    public void onEvent(int msgType, int ext1, int ext2, Object obj) {
        if (msgType == 0 && ext1 == mId && ext2 == mObjectId && TEXT.equals(obj)) {
            mGood = mGood + 1;
        } else {
            mBad = mBad + 1;
        }
    }

    @Override
    public void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer) {
        if (msgType == DATA_TYPE && ext1 == mId && ext2 == mObjectId && buffer != null
                && buffer.capacity() == mId && buffer.get(0) == DATA_BYTE
                && buffer.get(mId - 1) == DATA_BYTE) {
            mGood = mGood + 1;
        } else {
            mBad = mBad + 1;
        }
    }
}
