package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotSame;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.morvane.ovik.jvmtest.support.NativeHelper;
import java.util.HashSet;
import java.util.List;
import java.util.Set;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import org.junit.jupiter.api.Test;

/** Which thread each kind of answer reaches Java on, and what it carries. */
class CallbackThreadTest extends ServiceTest {
    private static final String NAME = "calls_41";
    private static final int ID = 41;

    @Test
    void an_answer_inside_a_command_arrives_on_the_calling_java_thread() throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "say 9 hello"));
        Event event = awaitEvents(text(9, ID, "hello"), 1).get(0);
        assertSame(Thread.currentThread(), event.thread());
    }

    @Test
    void an_answer_inside_a_command_of_another_java_thread_arrives_on_that_thread()
            throws Exception {
        setUpAnswerPaths(NAME, ID);
        Thread caller = runJoined("ovik-caller", () -> command(ID, NAME, "say 9 from caller"));
        assertSame(caller, awaitEvents(text(9, ID, "from caller"), 1).get(0).thread());
    }

    @Test
    void answers_from_a_module_thread_arrive_on_a_fresh_attachment_each_detached_afterwards()
            throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "thread_say 5 3 tick"));
        List<Event> ticks = awaitEvents(text(5, ID, "tick"), 3);
        assertEquals(0, command(ID, NAME, "thread_stop"));
        Set<Thread> threads = new HashSet<>();
        for (Event tick : ticks) {
            assertNotSame(Thread.currentThread(), tick.thread());
            threads.add(tick.thread());
        }
        assertEquals(3, threads.size(), "each answer attaches the thread anew");
        for (Thread thread : threads) {
            thread.join(WAIT.toMillis());
            assertFalse(thread.isAlive(), "still attached: " + thread);
        }
    }

    @Test
    void notifications_on_a_native_thread_attached_already_leave_it_attached() throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(3, NativeHelper.notifyFromAttachedThread(ID, 3, "attached"));
        List<Event> received = events.matching(e -> e.ext2() == ID && "attached".equals(e.obj()));
        assertEquals(3, received.size(), "events: " + events.events());
        for (int i = 0; i < 3; ++i) {
            assertEquals(i, received.get(i).ext1());
            assertSame(received.get(0).thread(), received.get(i).thread());
        }
        assertEquals(NativeHelper.ATTACHED_THREAD_NAME, received.get(0).thread().getName());
    }

    @Test
    void a_callback_on_the_java_thread_can_command_the_module_again() throws Exception {
        setUpAnswerPaths(NAME, ID);
        AtomicInteger nested = new AtomicInteger(-1);
        events.setReaction(event -> {
            if ("ping".equals(event.obj())) nested.set(command(ID, NAME, "say 10 pong"));
        });
        Thread caller = runJoined(
                "ovik-nested", () -> assertEquals(0, command(ID, NAME, "say 9 ping")));
        assertEquals(0, nested.get());
        Event pong = awaitEvents(text(10, ID, "pong"), 1).get(0);
        assertSame(caller, pong.thread());
    }

    @Test
    void a_callback_on_a_module_thread_can_command_the_module_again() throws Exception {
        setUpAnswerPaths(NAME, ID);
        // The module thread holds the client while its callback commands it. The
        // test stops that thread before the client is deleted: a client whose last
        // reference goes inside its own answer is destroyed only at the next call
        // from Java, which a deletion right after the answer could race.
        CountDownLatch commanded = new CountDownLatch(1);
        events.setReaction(event -> {
            if (!"ping".equals(event.obj())) return;
            command(ID, NAME, "say 10 pong");
            commanded.countDown();
        });
        assertEquals(0, command(ID, NAME, "thread_say 9 1 ping"));
        assertTrue(commanded.await(WAIT.toMillis(), TimeUnit.MILLISECONDS));
        Event pong = awaitEvents(text(10, ID, "pong"), 1).get(0);
        Event ping = awaitEvents(text(9, ID, "ping"), 1).get(0);
        assertSame(ping.thread(), pong.thread());
        assertNotSame(Thread.currentThread(), pong.thread());
        assertEquals(0, command(ID, NAME, "thread_stop"));
    }

    @Test
    void a_one_argument_answer_arrives_with_id_0() throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "say_plain plain text"));
        awaitEvents(text(0, ID, "plain text"), 1);
    }

    @Test
    void a_null_text_reaches_java_as_null() throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "say_null 4"));
        Event event = awaitEvents(e -> e.msgType() == 0 && e.ext1() == 4 && e.ext2() == ID, 1)
                .get(0);
        assertNull(event.obj());
    }

    @Test
    void a_data_answer_arrives_as_a_direct_buffer_over_the_module_bytes() throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "say_data 4 8"));
        Event event = awaitEvents(e -> e.msgType() == 1122, 1).get(0);
        assertEquals(4, event.ext1());
        assertEquals(ID, event.ext2());
        assertTrue(event.directBuffer());
        assertEquals(8, event.bufferCapacity());
        assertArrayEquals(Patterns.block(8, 4), event.data());
    }

    @Test
    void the_module_result_of_a_command_comes_back_unchanged() {
        setUpAnswerPaths(NAME, ID);
        assertEquals(42, command(ID, NAME, "result 42"));
        assertEquals(7, command(ID, NAME, "no such command"));
    }
}
