package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.morvane.ovik.jvmtest.support.NativeHelper;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.List;
import java.util.Queue;
import java.util.concurrent.ConcurrentLinkedQueue;
import java.util.concurrent.atomic.AtomicBoolean;
import org.junit.jupiter.api.Test;

/** Several Java threads driving clients at once while modules answer from their own threads. */
class ConcurrencyTest extends ServiceTest {
    private static final int WORKERS = 4;
    private static final int ROUNDS = 6;

    private final Queue<Throwable> mFailures = new ConcurrentLinkedQueue<>();

    private interface Work {
        void run() throws Exception;
    }

    private Thread start(String name, Work work) {
        Thread thread = new Thread(() -> {
            try {
                work.run();
            } catch (Throwable failure) {
                mFailures.add(failure);
            }
        }, name);
        thread.start();
        return thread;
    }

    private void joinAll(List<Thread> threads) throws InterruptedException {
        for (Thread thread : threads) {
            thread.join(WAIT.toMillis() * 2);
            assertFalse(thread.isAlive(), thread.getName() + " is stuck");
        }
        assertTrue(mFailures.isEmpty(), "failures: " + mFailures);
    }

    /** One client's whole life, with a module thread answering throughout. */
    private static void liveOneClient(int id) {
        String name = "conc_" + id;
        String dir = Service.MODULE_DIR;
        assertEquals(0, service.nativeSetup(null, name, id));
        assertEquals(0, command(id, name, "init_client:demo:libanswer_paths.so:" + dir));
        assertEquals(0, command(id, name, "jack_name conc " + id));
        assertEquals(0, command(id, name, "start_client -x " + id));
        assertEquals(0, command(id, name, "activate"));
        assertEquals(0, command(id, name, "thread_say 5 0 tick"));
        assertEquals(0, command(id, name, "say 9 hi"));
        ByteBuffer block = service.nativeRequest(id, "fill 64", id, 0);
        assertNotNull(block);
        assertEquals(64, block.capacity());
        ByteBuffer stream = ByteBuffer.allocateDirect(3);
        assertEquals(100 + id % 50, service.nativeSendStream(id, name, stream, id % 50));
        assertEquals("conc " + id, service.nativeGetJackClientName("q", "fallback", id));
        assertEquals(0, service.nativeDeleteClient(name));
    }

    @Test
    void clients_driven_from_several_threads_at_once_all_work_and_leave_nothing_behind()
            throws Exception {
        List<Thread> workers = new ArrayList<>();
        for (int w = 0; w < WORKERS; ++w) {
            int first = 1000 + w * 100;
            workers.add(start("ovik-worker-" + w, () -> {
                for (int round = 0; round < ROUNDS; ++round) liveOneClient(first + round);
            }));
        }
        joinAll(workers);
        for (int w = 0; w < WORKERS; ++w) {
            for (int round = 0; round < ROUNDS; ++round) {
                int id = 1000 + w * 100 + round;
                assertEquals(1, events.matching(text(9, id, "hi")).size(), "client " + id);
                assertEquals(1, events.matching(text(1, id, "setUp conc_" + id + " -x " + id))
                        .size(), "client " + id);
            }
        }
        assertEquals(0, NativeHelper.registeredClients());
        assertEquals(0, Service.answerPathsLiveObjects());
        assertEquals(0, Service.answerPathsLiveThreads());
    }

    @Test
    void forced_death_sweeps_racing_with_busy_clients_leave_nothing_behind() throws Exception {
        AtomicBoolean running = new AtomicBoolean(true);
        List<Thread> threads = new ArrayList<>();
        for (int w = 0; w < WORKERS - 1; ++w) {
            int first = 2000 + w * 100;
            threads.add(start("ovik-busy-" + w, () -> {
                for (int round = 0; running.get() && round < 40; ++round) {
                    int id = first + round;
                    String name = "busy_" + id;
                    // A sweep may delete the client at any point: results are not checked.
                    service.nativeSetup(null, name, id);
                    command(id, name, "init_client:demo:libanswer_paths.so:" + Service.MODULE_DIR);
                    command(id, name, "thread_say 5 0 tick");
                    command(id, name, "farewell bye");
                    service.nativeRequest(id, "fill 16", 0, 0);
                    service.nativeDeleteClient(name);
                }
            }));
        }
        threads.add(start("ovik-sweeper", () -> {
            for (int round = 0; round < 10; ++round) {
                int id = 2900 + round;
                String name = "sweeper_" + id;
                assertEquals(0, service.nativeSetup(null, name, id));
                assertEquals(0, command(id, name,
                        "init_client:demo:libanswer_paths.so:" + Service.MODULE_DIR));
                assertEquals(0, command(id, name, "force_death swept"));
                Thread.sleep(5);
            }
            running.set(false);
        }));
        joinAll(threads);
        assertEquals(10, events.matching(e -> e.msgType() == 100 && e.ext2() >= 2900).size());
        assertEquals(0, NativeHelper.registeredClients());
        assertEquals(0, Service.answerPathsLiveObjects());
        assertEquals(0, Service.answerPathsLiveThreads());
    }
}
