package com.morvane.ovik.jvmtest;

/** The bytes the answer-paths module writes into blocks: (index * 31 + ext1) & 0xff. */
final class Patterns {
    private Patterns() {}

    static byte[] block(int count, long ext1) {
        byte[] bytes = new byte[count];
        for (int i = 0; i < count; ++i) bytes[i] = (byte) ((i * 31L + ext1) & 0xff);
        return bytes;
    }
}
