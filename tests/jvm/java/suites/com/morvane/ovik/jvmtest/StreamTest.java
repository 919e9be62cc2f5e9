package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.nio.ByteBuffer;
import org.junit.jupiter.api.Test;

/** Streams from Java buffers to version-2 and version-1 modules. */
class StreamTest extends ServiceTest {
    private static ByteBuffer direct(int... bytes) {
        ByteBuffer buffer = ByteBuffer.allocateDirect(bytes.length);
        for (int b : bytes) buffer.put((byte) b);
        return buffer;
    }

    @Test
    void a_version_2_module_receives_the_direct_buffer_bytes_and_its_result_returns()
            throws Exception {
        setUpAnswerPaths("v2_101", 101);
        assertEquals(105, service.nativeSendStream(101, "s", direct(0x00, 0xab, 0x7f), 5));
        awaitEvents(text(4, 101, "stream 5 3 00ab7f"), 1);
    }

    @Test
    void a_version_1_module_receives_the_stream_as_a_hex_command() throws Exception {
        setUpCommandEcho("v1_102", 102);
        assertEquals(0, service.nativeSendStream(102, "s", direct(0x00, 0xab, 0x7f), 5));
        awaitEvents(text(1, 102, "stream:5:00ab7f"), 1);
    }

    @Test
    void an_empty_stream_to_a_version_1_module_is_the_bare_header() throws Exception {
        setUpCommandEcho("v1_102", 102);
        assertEquals(0, service.nativeSendStream(102, "s", ByteBuffer.allocateDirect(0), 12));
        awaitEvents(text(1, 102, "stream:12:"), 1);
    }

    @Test
    void every_byte_value_reaches_a_version_1_module_as_two_hex_digits() throws Exception {
        setUpCommandEcho("v1_102", 102);
        ByteBuffer all = ByteBuffer.allocateDirect(256);
        StringBuilder expected = new StringBuilder("stream:-1:");
        for (int b = 0; b < 256; ++b) {
            all.put((byte) b);
            expected.append(String.format("%02x", b));
        }
        assertEquals(0, service.nativeSendStream(102, "s", all, -1));
        awaitEvents(text(1, 102, expected.toString()), 1);
    }

    @Test
    void a_heap_buffer_reaches_no_module() {
        setUpAnswerPaths("v2_101", 101);
        setUpCommandEcho("v1_102", 102);
        assertEquals(1, service.nativeSendStream(101, "s", ByteBuffer.wrap(new byte[] {1}), 5));
        assertEquals(1, service.nativeSendStream(102, "s", ByteBuffer.wrap(new byte[] {1}), 5));
        assertEquals(0, events.events().size(), "events: " + events.events());
    }
}
