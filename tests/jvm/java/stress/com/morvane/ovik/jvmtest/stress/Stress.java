package com.morvane.ovik.jvmtest.stress;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeHelper;
import com.morvane.ovik.jvmtest.support.NativeLog;
import java.nio.ByteBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;
import java.util.concurrent.atomic.AtomicLong;

/**
 * The stress run: 8 Java threads drive seeded random operations (OpMix) over
 * 16 clients through the real service class, while the modules answer from
 * threads of their own, callbacks re-enter the library on Java and module
 * threads, and forced-death sweeps and USB broadcasts arrive. Every
 * operation runs under a deadline watched by a thread that dumps every
 * thread's stack and ends the process when one overruns.
 *
 * <p>At the end every answer the modules counted as sent must be accounted
 * for: delivered to Java, or (through the process-wide handle only) dropped
 * with the library's log line saying that its client was gone. The resident
 * memory after the measured phase may exceed that after the warm-up by less
 * than 1 MiB, or less than 8 bytes per measured operation when that is more;
 * both are taken with every client deleted. A leak of even one allocation
 * per operation (a malloc chunk is at least 32 bytes) overruns that four
 * times, while the VM's own code cache and arenas, which move by a few MiB
 * over a long run, do not. The warm-up runs the
 * same mix (by default 40,000 operations per thread) until the JIT and the
 * allocator have settled; with --seconds it takes at most half the time.
 *
 * <pre>Stress [--seed N] [--ops N per thread] [--warmup N per thread] [--seconds S]
 *        [--deadline S] [--rss-limit KiB, 0 for none]</pre>
 */
public final class Stress implements OvikServiceInstallable.EventSink {
    private static final int THREADS = 8;
    private static final long RSS_BYTES_PER_OP = 8;
    private static final String DROPPED =
            "an answer through the response handle was dropped: the client it answered to is gone";

    private final String mModuleDir = System.getProperty("ovik.test.modules");
    private final String mAnswerPaths = Path.of(mModuleDir, "libanswer_paths.so").toString();
    private final String mCommandEcho = Path.of(mModuleDir, "libwave_command_echo.so").toString();
    private final OvikServiceInstallable mService = new OvikServiceInstallable();
    private final ByteBuffer mStream = ByteBuffer.allocateDirect(64);
    private final long mDeadlineNanos;
    private final long mRssLimitKib;
    /** The outermost operation in flight on each thread: when it started and what it is. */
    private final Map<Thread, Object[]> mInFlight = new ConcurrentHashMap<>();
    private final ThreadLocal<int[]> mDepth = ThreadLocal.withInitial(() -> new int[1]);
    /** Set on the worker threads, so a callback knows it runs on a module's thread. */
    private final ThreadLocal<Boolean> mIsWorker = ThreadLocal.withInitial(() -> false);

    private final AtomicLong mDelivered = new AtomicLong();
    private final AtomicLong mHandleDelivered = new AtomicLong();
    private final AtomicLong mDropLines = new AtomicLong();
    private final AtomicLong mReentries = new AtomicLong();
    private final AtomicLong mModuleThreadReentries = new AtomicLong();
    private final AtomicLong mDeaths = new AtomicLong();
    private final AtomicLong mUsb = new AtomicLong();
    private final AtomicLong mOps = new AtomicLong();
    private final List<String> mFailures = new ArrayList<>();

    private Stress(long deadlineSeconds, long rssLimitKib) {
        mDeadlineNanos = deadlineSeconds * 1_000_000_000L;
        mRssLimitKib = rssLimitKib;
        for (int i = 0; i < mStream.capacity(); ++i) mStream.put(i, (byte) (i * 7));
    }

    public static void main(String[] args) throws Exception {
        long seed = System.nanoTime() ^ System.currentTimeMillis();
        int ops = 10_000;
        int warmup = 40_000;
        long seconds = 0;
        long deadline = 10;
        long rssLimit = 1024;
        for (int i = 0; i + 1 < args.length; i += 2) {
            switch (args[i]) {
                case "--seed" -> seed = Long.parseLong(args[i + 1]);
                case "--ops" -> ops = Integer.parseInt(args[i + 1]);
                case "--warmup" -> warmup = Integer.parseInt(args[i + 1]);
                case "--seconds" -> seconds = Long.parseLong(args[i + 1]);
                case "--deadline" -> deadline = Long.parseLong(args[i + 1]);
                case "--rss-limit" -> rssLimit = Long.parseLong(args[i + 1]);
                default -> throw new IllegalArgumentException("unknown option " + args[i]);
            }
        }
        System.out.printf("stress: seed %d, %d threads x (%d warm-up + %d measured) operations "
                        + "over %d clients%s%n", seed, THREADS, warmup, ops, OpMix.CLIENTS,
                seconds > 0 ? ", at most " + seconds + " s" : "");
        NativeLog.clear();  // the helper's logger captures from here on
        System.exit(new Stress(deadline, rssLimit).run(seed, warmup, ops, seconds) ? 0 : 1);
    }

    private boolean run(long seed, int warmup, int ops, long seconds) throws Exception {
        OvikServiceInstallable.setEventSink(this);
        NativeHelper.pinModule(mAnswerPaths);
        NativeHelper.pinModule(mCommandEcho);
        startDaemon("stress-watchdog", this::watch);
        startDaemon("stress-log", this::drainLog);

        long start = System.nanoTime();
        long end = seconds > 0 ? start + seconds * 1_000_000_000L : Long.MAX_VALUE;
        long warmEnd = seconds > 0 ? start + seconds * 1_000_000_000L / 2 : Long.MAX_VALUE;
        OpMix[] mixes = new OpMix[THREADS];
        for (int t = 0; t < THREADS; ++t) mixes[t] = new OpMix(seed, t);

        runPhase("warm-up", mixes, warmup, warmEnd);
        long warmRss = settledRss();
        long measuredStart = System.nanoTime();
        long warmOps = mOps.getAndSet(0);
        runPhase("measured", mixes, ops, end);
        long endRss = settledRss();
        double elapsed = (System.nanoTime() - measuredStart) / 1e9;

        long sent = count(mAnswerPaths, "jvmwave_answers_sent") + count(mCommandEcho, "jvmwave_answers_sent");
        long handleSent = count(mAnswerPaths, "jvmwave_handle_answers_sent");
        drainLogOnce();
        check(sent == mDelivered.get(), "answers sent through the processing objects: " + sent
                + ", delivered: " + mDelivered.get());
        check(handleSent == mHandleDelivered.get() + mDropLines.get(),
                "answers sent through the handle: " + handleSent + ", delivered: "
                        + mHandleDelivered.get() + ", dropped with the log line: " + mDropLines.get());
        check(NativeHelper.registeredClients() == 0, "clients left registered");
        for (String library : List.of(mAnswerPaths, mCommandEcho)) {
            check(count(library, "jvmwave_live_objects") == 0, "module objects left in " + library);
            check(count(library, "jvmwave_live_threads") == 0, "module threads left in " + library);
        }
        long rssAllowedKib = Math.max(mRssLimitKib, mOps.get() * RSS_BYTES_PER_OP / 1024);
        check(mRssLimitKib == 0 || endRss - warmRss < rssAllowedKib,
                "resident memory grew by " + (endRss - warmRss) + " KiB after warm-up ("
                        + rssAllowedKib + " KiB allowed for " + mOps.get() + " operations)");

        System.out.printf("stress: %d warm-up operations, then %d measured in %.1f s (%.0f ops/s); "
                        + "%d re-entries (%d on module threads), %d death notices, %d USB notices%n",
                warmOps, mOps.get(), elapsed, mOps.get() / elapsed, mReentries.get(),
                mModuleThreadReentries.get(), mDeaths.get(), mUsb.get());
        System.out.printf("stress: answers %d sent, %d delivered; through the handle %d sent, "
                        + "%d delivered, %d dropped as the client was gone%n",
                sent, mDelivered.get(), handleSent, mHandleDelivered.get(), mDropLines.get());
        System.out.printf("stress: VmRSS %d KiB after warm-up, %d KiB at the end (%+d KiB)%s%n",
                warmRss, endRss, endRss - warmRss, mRssLimitKib == 0 ? ", not checked" : "");
        synchronized (mFailures) {
            for (String failure : mFailures) System.out.println("stress: FAILED: " + failure);
            System.out.println(mFailures.isEmpty() ? "stress: passed" : "stress: failed");
            return mFailures.isEmpty();
        }
    }

    // ---- Phases ----------------------------------------------------------

    private void runPhase(String phase, OpMix[] mixes, int ops, long end) throws Exception {
        List<Thread> workers = new ArrayList<>();
        for (int t = 0; t < THREADS; ++t) {
            OpMix mix = mixes[t];
            Thread worker = new Thread(() -> {
                mIsWorker.set(true);
                for (int i = 0; i < ops && System.nanoTime() < end; ++i) {
                    OpMix.Op op = mix.next(mModuleDir);
                    timed(op.toString(), () -> perform(op));
                    mOps.incrementAndGet();
                }
            }, "stress-" + phase + "-" + t);
            workers.add(worker);
            worker.start();
        }
        for (Thread worker : workers) worker.join();
    }

    /**
     * Deletes every client (joining every module thread), then reads VmRSS. A
     * client that deleted itself on its module's thread is destroyed by the
     * library at the next call that reaches the registry once that thread has
     * left its answer, so the rounds go on until no module object is left.
     */
    private long settledRss() throws Exception {
        timed("deleting every client", () -> {
            do {
                for (int id = 0; id < OpMix.CLIENTS; ++id) mService.nativeDeleteClient(OpMix.name(id));
                Thread.yield();
            } while (count(mAnswerPaths, "jvmwave_live_objects") + count(mCommandEcho, "jvmwave_live_objects") > 0);
        });
        drainLogOnce();
        System.gc();
        for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
            if (line.startsWith("VmRSS:")) return Long.parseLong(line.replaceAll("[^0-9]", ""));
        }
        throw new IllegalStateException("no VmRSS in /proc/self/status");
    }

    // ---- Operations ------------------------------------------------------

    private void perform(OpMix.Op op) {
        int id = op.client();
        switch (op.kind()) {
            case OpMix.SETUP -> {
                mService.nativeSetup(null, OpMix.name(id), id);
                command(id, OpMix.initCommand(id, mModuleDir));
            }
            case OpMix.COMMAND, OpMix.MODULE, OpMix.REENTER_JAVA, OpMix.REENTER_MODULE,
                    OpMix.SWEEP, OpMix.USB -> command(id, op.text());
            case OpMix.REQUEST -> request(id, op.number());
            case OpMix.STREAM -> stream(id, op.number());
            case OpMix.NAME -> mService.nativeGetJackClientName("jack", "default", id);
            case OpMix.DELETE -> mService.nativeDeleteClient(OpMix.name(id));
            default -> throw new IllegalStateException("kind " + op.kind());
        }
    }

    private void command(int id, String text) {
        mService.nativeSendCommand(id, OpMix.name(id) + "!" + text);
    }

    private void request(int id, int ext1) {
        ByteBuffer block = mService.nativeRequest(id, "fill 64", ext1, 200000);
        // The block is the library's until the next request of any thread, so
        // only its size is looked at.
        if (block != null && block.capacity() != 64) fail("a request gave " + block.capacity()
                + " bytes, not 64");
    }

    private void stream(int id, int length) {
        mService.nativeSendStream(id, OpMix.name(id), mStream.slice(0, length), length);
    }

    /** Runs a re-entry marker's operation from inside a callback. */
    private void reenter(String marker, boolean onModuleThread) {
        int colon = marker.indexOf(':');
        int kind = Integer.parseInt(marker.substring(1, colon));
        int target = Integer.parseInt(marker.substring(colon + 1));
        mReentries.incrementAndGet();
        if (onModuleThread) mModuleThreadReentries.incrementAndGet();
        timed("re-entry " + marker, () -> {
            if (kind < OpMix.REENTRY_REQUEST) {
                command(target, OpMix.REENTRY_COMMANDS[kind]);
            } else if (kind == OpMix.REENTRY_REQUEST) {
                request(target, kind);
            } else if (kind == OpMix.REENTRY_STREAM) {
                stream(target, 16);
            } else if (kind == OpMix.REENTRY_NAME) {
                mService.nativeGetJackClientName("jack", "default", target);
            } else {
                mService.nativeDeleteClient(OpMix.name(target));
            }
        });
    }

    // ---- Callbacks -------------------------------------------------------

    @Override
    public void onEvent(int msgType, int ext1, int ext2, Object obj) {
        if (NativeHelper.isRegistryProbeEvent(msgType, ext1, obj)) return;
        switch (msgType) {
            case 0 -> {
                (ext1 == OpMix.HANDLE_ID ? mHandleDelivered : mDelivered).incrementAndGet();
                if (obj instanceof String text) {
                    int space = text.lastIndexOf(' ');
                    String last = text.substring(space + 1);
                    if (last.startsWith("@")) reenter(last, !mIsWorker.get());
                }
            }
            case 100 -> mDeaths.incrementAndGet();
            case 1123 -> mUsb.incrementAndGet();
            default -> fail("an event of type " + msgType);
        }
    }

    @Override
    public void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer) {
        mDelivered.incrementAndGet();
        if (msgType != 1122 || buffer == null || buffer.capacity() != 48) {
            fail("a data event " + msgType + " of " + (buffer == null ? "no" : buffer.capacity())
                    + " bytes");
        }
    }

    // ---- Deadline --------------------------------------------------------

    private void timed(String what, Runnable body) {
        int[] depth = mDepth.get();
        if (depth[0]++ == 0) mInFlight.put(Thread.currentThread(), new Object[] {System.nanoTime(), what});
        try {
            body.run();
        } catch (RuntimeException e) {
            fail(what + " threw " + e);
        } finally {
            if (--depth[0] == 0) mInFlight.remove(Thread.currentThread());
        }
    }

    private void watch() {
        while (true) {
            long now = System.nanoTime();
            for (Map.Entry<Thread, Object[]> entry : mInFlight.entrySet()) {
                long started = (Long) entry.getValue()[0];
                if (now - started > mDeadlineNanos) hang(entry.getKey(), (String) entry.getValue()[1]);
            }
            try {
                Thread.sleep(100);
            } catch (InterruptedException e) {
                return;
            }
        }
    }

    private void hang(Thread thread, String what) {
        System.out.printf("stress: HANG: %s on %s did not end within %d s; every thread:%n", what,
                thread.getName(), mDeadlineNanos / 1_000_000_000L);
        for (Map.Entry<Thread, StackTraceElement[]> entry : Thread.getAllStackTraces().entrySet()) {
            System.out.println("\"" + entry.getKey().getName() + "\" " + entry.getKey().getState());
            for (StackTraceElement frame : entry.getValue()) System.out.println("    at " + frame);
        }
        nativeStacks();
        System.out.flush();
        Runtime.getRuntime().halt(3);
    }

    /** The library's and the modules' frames of every thread, through gdb when there is one. */
    private static void nativeStacks() {
        System.out.println("stress: native frames (gdb):");
        try {
            Process gdb = new ProcessBuilder("timeout", "-s", "KILL", "60", "gdb", "-nx", "-iex",
                    "set debuginfod enabled off", "-p",
                    Long.toString(ProcessHandle.current().pid()), "-batch", "-ex",
                    "thread apply all bt").redirectErrorStream(true).start();
            try (var lines = gdb.inputReader().lines()) {
                // Thread creation and joining too: a hang once waited on the C
                // library's stack cache lock, held by a thread inside a join.
                lines.filter(l -> l.matches("^Thread .*|.*(android::|OXA|Ovik|CommandEcho|Answer"
                        + "|mutex|lll_lock|Java_com|pthread_|nptl|munmap|_dl_).*"))
                        .forEach(System.out::println);
            }
        } catch (Exception e) {
            System.out.println("stress: no native frames: " + e);
        }
    }

    // ---- Log and bookkeeping ---------------------------------------------

    private void drainLog() {
        while (true) {
            drainLogOnce();
            try {
                Thread.sleep(200);
            } catch (InterruptedException e) {
                return;
            }
        }
    }

    private void drainLogOnce() {
        for (LogLine line : NativeLog.drain()) {
            if (line.priority() == LogLine.ERROR && line.tag().equals(LogLine.HOST_TAG)
                    && line.message().equals(DROPPED)) {
                mDropLines.incrementAndGet();
            }
        }
    }

    private static int count(String library, String symbol) {
        return NativeHelper.moduleCount(library, symbol);
    }

    private void check(boolean ok, String failure) {
        if (!ok) fail(failure);
    }

    private void fail(String failure) {
        synchronized (mFailures) {
            if (mFailures.size() < 20) mFailures.add(failure);
        }
    }

    private static void startDaemon(String name, Runnable body) {
        Thread thread = new Thread(body, name);
        thread.setDaemon(true);
        thread.start();
    }
}
