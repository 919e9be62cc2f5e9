package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.ByteBuffer;
import org.junit.jupiter.api.Test;

/** The direct buffers of nativeRequest: size, contents and how long they stay valid. */
class RequestBufferTest extends ServiceTest {
    private static final String NAME = "req_91";
    private static final int ID = 91;
    private static final int BLOCK = 200000;

    private static byte[] contents(ByteBuffer buffer) {
        byte[] bytes = new byte[buffer.capacity()];
        buffer.duplicate().get(bytes);
        return bytes;
    }

    @Test
    void the_buffer_capacity_is_the_module_count_whatever_capacity_java_asks_for() {
        setUpAnswerPaths(NAME, ID);
        ByteBuffer buffer = service.nativeRequest(ID, "fill 500", 0, 10);
        assertNotNull(buffer);
        assertTrue(buffer.isDirect());
        assertEquals(500, buffer.capacity());
        assertArrayEquals(Patterns.block(500, 0), contents(buffer));
    }

    @Test
    void the_module_is_always_asked_for_a_block_of_200000_bytes() throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertNotNull(service.nativeRequest(ID, "fill 1", 0, 10));
        awaitEvents(text(3, ID, "request fill 1 ext1=0 capacity=200000"), 1);
    }

    @Test
    void a_count_beyond_the_block_is_clamped_to_the_block_size() {
        setUpAnswerPaths(NAME, ID);
        ByteBuffer buffer = service.nativeRequest(ID, "fill 300000", 0, 0);
        assertEquals(BLOCK, buffer.capacity());
        assertArrayEquals(Patterns.block(BLOCK, 0), contents(buffer));
    }

    @Test
    void a_module_that_leaves_the_count_alone_gives_the_whole_block() {
        setUpAnswerPaths(NAME, ID);
        ByteBuffer buffer = service.nativeRequest(ID, "keep", 3, 0);
        assertEquals(BLOCK, buffer.capacity());
        assertArrayEquals(Patterns.block(BLOCK, 3), contents(buffer));
    }

    @Test
    void ext1_reaches_the_module_as_its_low_32_bits() throws Exception {
        setUpAnswerPaths(NAME, ID);
        ByteBuffer buffer = service.nativeRequest(ID, "fill 16", (1L << 32) + 5, 0);
        awaitEvents(text(3, ID, "request fill 16 ext1=5 capacity=200000"), 1);
        assertArrayEquals(Patterns.block(16, 5), contents(buffer));
    }

    @Test
    void a_request_that_fails_before_reaching_a_client_leaves_the_last_buffer_valid() {
        setUpAnswerPaths(NAME, ID);
        ByteBuffer first = service.nativeRequest(ID, "fill 64", 9, 0);
        assertNull(service.nativeRequest(404, "fill 8", 1, 0));
        assertNull(service.nativeRequest(ID, null, 1, 0));
        assertEquals(64, first.capacity());
        assertArrayEquals(Patterns.block(64, 9), contents(first));
    }

    @Test
    void a_second_request_that_reaches_a_client_hands_out_its_own_block() {
        setUpAnswerPaths(NAME, ID);
        ByteBuffer first = service.nativeRequest(ID, "fill 64", 9, 0);
        assertEquals(64, first.capacity());
        ByteBuffer second = service.nativeRequest(ID, "fill 32", 2, 0);
        assertEquals(32, second.capacity());
        assertArrayEquals(Patterns.block(32, 2), contents(second));
    }

    @Test
    void requests_of_two_clients_each_reach_their_own_module() throws Exception {
        setUpAnswerPaths(NAME, ID);
        setUpAnswerPaths("req_92", 92);
        assertEquals(8, service.nativeRequest(92, "fill 8", 1, 0).capacity());
        awaitEvents(text(3, 92, "request fill 8 ext1=1 capacity=200000"), 1);
        assertEquals(0, events.matching(e -> e.ext1() == 3 && e.ext2() == ID).size());
    }
}
