package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeHelper;
import com.morvane.ovik.jvmtest.support.NativeLog;
import java.time.Duration;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.atomic.AtomicReference;
import java.util.function.Predicate;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.DisplayNameGeneration;
import org.junit.jupiter.api.DisplayNameGenerator;
import org.junit.jupiter.api.TestInfo;

/**
 * Base of the suites: a clean event record and log for every test, helpers to
 * set up clients that load the test modules, and a check after every test
 * that its clients are gone and left no module object or thread behind.
 */
@DisplayNameGeneration(DisplayNameGenerator.ReplaceUnderscores.class)
public abstract class ServiceTest {
    protected static final Duration WAIT = Duration.ofSeconds(60);
    protected static final OvikServiceInstallable service = Service.SERVICE;
    protected static final EventRecorder events = Service.EVENTS;

    private final List<String> mClientNames = new ArrayList<>();

    @BeforeEach
    void startClean(TestInfo test) {
        // Names the test on stderr first, so a run the JVM cannot finish (a crash
        // or a deadlock stopped by the time-out) still shows where it stopped.
        System.err.println(
                "[ovik-jvm] " + getClass().getSimpleName() + ": " + test.getDisplayName());
        events.setReaction(null);
        events.clear();
        NativeLog.clear();
    }

    @AfterEach
    void deleteClientsAndCheckNothingIsLeft() {
        events.setReaction(null);
        for (String name : mClientNames) service.nativeDeleteClient(name);
        assertEquals(0, NativeHelper.registeredClients(), "clients left in the registry");
        assertEquals(0, Service.answerPathsLiveObjects(), "answer-paths module objects left alive");
        assertEquals(0, Service.answerPathsLiveThreads(), "answer-paths module threads left running");
        assertEquals(0, Service.commandEchoLiveObjects(), "command-echo module objects left alive");
    }

    /** Sets up client {@code name} with {@code objectId}; deleted after the test. */
    protected void setUpClient(String name, int objectId) {
        mClientNames.add(name);
        assertEquals(0, service.nativeSetup(null, name, objectId));
    }

    /** A client named {@code name} that has loaded libanswer_paths.so. */
    protected void setUpAnswerPaths(String name, int objectId) {
        setUpClient(name, objectId);
        assertEquals(0, service.nativeSendCommand(objectId,
                name + "!init_client:demo:libanswer_paths.so:" + Service.MODULE_DIR));
    }

    /** A client named {@code name} that has loaded the version-1 libwave_command_echo.so. */
    protected void setUpCommandEcho(String name, int objectId) {
        setUpClient(name, objectId);
        assertEquals(0, service.nativeSendCommand(objectId,
                name + "!init_client:echo:libwave_command_echo.so:" + Service.MODULE_DIR));
    }

    /** Forgets a client this test deleted itself. */
    protected void forget(String name) {
        mClientNames.remove(name);
    }

    /**
     * Runs {@code work} on a new Java thread named {@code name} and joins it with a
     * time-out, failing when it is stuck; returns the thread. A failure inside is
     * rethrown here.
     */
    protected static Thread runJoined(String name, Runnable work) throws InterruptedException {
        AtomicReference<Throwable> failure = new AtomicReference<>();
        Thread thread = new Thread(() -> {
            try {
                work.run();
            } catch (Throwable thrown) {
                failure.set(thrown);
            }
        }, name);
        thread.start();
        thread.join(WAIT.toMillis());
        assertFalse(thread.isAlive(), name + " is stuck");
        if (failure.get() instanceof RuntimeException runtime) throw runtime;
        if (failure.get() instanceof Error error) throw error;
        return thread;
    }

    protected static int command(int objectId, String name, String command) {
        return service.nativeSendCommand(objectId, name + "!" + command);
    }

    protected static List<Event> awaitEvents(Predicate<Event> which, int count)
            throws InterruptedException {
        List<Event> found = events.await(which, count, WAIT);
        assertEquals(count, found.size(), "events that arrived: " + events.events());
        return found;
    }

    protected static Predicate<Event> text(int ext1, int ext2, String text) {
        return event -> event.isText(ext1, ext2, text);
    }

    protected static void assertLogged(LogLine line) {
        List<LogLine> lines = NativeLog.lines();
        assertTrue(lines.contains(line), "expected " + line + " among " + lines);
    }

    /** Each expected line was logged, in this order, with any lines between. */
    protected static void assertLoggedInOrder(LogLine... expected) {
        List<LogLine> lines = NativeLog.lines();
        int at = 0;
        for (LogLine line : expected) {
            int found = lines.subList(at, lines.size()).indexOf(line);
            assertTrue(found >= 0, "expected " + line + " after line " + at + " of " + lines);
            at += found + 1;
        }
    }
}
