package com.morvane.ovik.bench;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import java.io.IOException;
import java.io.PrintWriter;
import java.nio.ByteBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;

/**
 * Runs each hot path of the library in this JVM against its floor (the bare
 * JNI calls of the path, in libovikbenchfloor.so): after a warm-up, rounds
 * of one library block and one floor block, in alternating order. Every block
 * must deliver all its events with the right arguments; a short block ends
 * the run with an error. Prints the table and writes it as CSV.
 *
 * <p>Usage: JniBenchmark [--short] [--rounds N] [--only TEXT] [--csv FILE].
 * The module is named by the system property ovik.bench.module. --short runs
 * tiny blocks, to check that every path works, and sets no goal; --only runs
 * the paths whose name contains TEXT (for profiling one path).
 */
public final class JniBenchmark {
    private static final String NAME = "bench_4711";
    private static final int OBJECT_ID = 4711;
    private static final int REQUEST_BYTES = 200000;
    private static final int STREAM_BYTES = 1 << 20;
    private static final int STREAM_ID = 7;

    private final OvikServiceInstallable mService = new OvikServiceInstallable();
    private final Floor mFloor = new Floor();
    private final Sink mSink = new Sink();
    private final AudioAnswers mAudioSink = new AudioAnswers();
    private final String mModule;
    private final boolean mShort;

    /** One path: a block of `events` events through the library or the floor. */
    private abstract class BenchPath {
        final String name;
        final String goal;
        final int events;

        BenchPath(String name, String goal, int fullEvents) {
            this.name = name;
            this.goal = goal;
            this.events = mShort ? Math.max(1, fullEvents / 1000) : fullEvents;
        }

        abstract void library();

        abstract void floor();

        /** Whether the measured result meets the goal. */
        boolean met(double ratio, double libraryValue) {
            return ratio <= Double.parseDouble(goal.substring(2));
        }

        /** Per event in ns, or GiB/s for a stream. */
        double value(long nanos) {
            return (double) nanos / events;
        }

        String unit() {
            return "ns/event";
        }
    }

    private JniBenchmark(String module, boolean isShort) {
        mModule = module;
        mShort = isShort;
    }

    private static void check(boolean condition, String what) {
        if (!condition) throw new IllegalStateException("short or wrong block: " + what);
    }

    private long moduleCounter(String symbol) {
        long value = Floor.moduleCounter(mModule, symbol);
        check(value >= 0, "module counter " + symbol + " unavailable");
        return value;
    }

    private void command(String command) {
        check(mService.nativeSendCommand(OBJECT_ID, NAME + "!" + command) == 0, command);
    }

    private void expectEvents(long events, String what) {
        check(mSink.good() == events && mSink.bad() == 0,
                what + ": " + mSink.good() + " right and " + mSink.bad() + " wrong of " + events);
    }

    private class CommandPath extends BenchPath {
        CommandPath() {
            super("command round trip (no-op module)", "≤ 1.05", 20000);
        }

        void library() {
            long before = moduleCounter("bench_commands");
            String text = NAME + "!noop";
            for (int i = 0; i < events; ++i) {
                check(mService.nativeSendCommand(OBJECT_ID, text) == 0, "noop");
            }
            check(moduleCounter("bench_commands") - before == events, "commands counted");
        }

        void floor() {
            String text = NAME + "!noop";
            for (int i = 0; i < events; ++i) check(mFloor.command(text) == 0, "floor command");
        }
    }

    private class TextPath extends BenchPath {
        private final boolean mThread;

        TextPath(boolean thread) {
            super(thread ? "text answer, module thread (attach/detach)" : "text answer, Java thread",
                    thread ? "≤ 1.05" : "≤ 1.10", thread ? 10000 : 20000);
            mThread = thread;
        }

        void library() {
            mSink.expect(mThread ? 2 : 1, OBJECT_ID);
            command((mThread ? "thread " : "say ") + events);
            expectEvents(events, name);
        }

        void floor() {
            mSink.expect(mThread ? 2 : 1, OBJECT_ID);
            int result = mThread ? mFloor.threadAnswers(events, OBJECT_ID)
                                 : mFloor.answers(events, OBJECT_ID);
            check(result == 0, "floor " + name);
            expectEvents(events, "floor " + name);
        }
    }

    private class DataPath extends BenchPath {
        private final int mSize;

        DataPath(int size, String label) {
            super("data answer, " + label, "≤ 1.10", 20000);
            mSize = size;
        }

        void library() {
            mSink.expect(mSize, OBJECT_ID);
            command("data " + mSize + " " + events);
            expectEvents(events, name);
        }

        void floor() {
            mSink.expect(mSize, OBJECT_ID);
            check(mFloor.dataAnswers(mSize, events, OBJECT_ID) == 0, "floor " + name);
            expectEvents(events, "floor " + name);
        }
    }

    private static void checkBlock(ByteBuffer block, String what) {
        check(block != null && block.capacity() == REQUEST_BYTES && block.get(0) == 0x5a
                        && block.get(REQUEST_BYTES - 1) == 0x5a,
                what);
    }

    private class RequestPath extends BenchPath {
        RequestPath() {
            super("request of " + REQUEST_BYTES + " bytes", "≤ 1.05", 2000);
        }

        void library() {
            long before = moduleCounter("bench_requests");
            for (int i = 0; i < events; ++i) {
                checkBlock(mService.nativeRequest(OBJECT_ID, "fill", 0, REQUEST_BYTES), name);
            }
            check(moduleCounter("bench_requests") - before == events, "requests counted");
        }

        void floor() {
            for (int i = 0; i < events; ++i) checkBlock(mFloor.request(REQUEST_BYTES), "floor request");
        }
    }

    private class StreamPath extends BenchPath {
        private final ByteBuffer mStream = ByteBuffer.allocateDirect(STREAM_BYTES);
        private final long mTextLength = ("stream:" + STREAM_ID + ":").length() + 2L * STREAM_BYTES;

        StreamPath() {
            super("version-1 stream of 1 MiB", "≥ 4 GiB/s", 200);
            for (int i = 0; i < STREAM_BYTES; ++i) mStream.put(i, (byte) (i * 131 + 7));
        }

        void library() {
            command("expect_text " + mTextLength);
            long before = moduleCounter("bench_streams");
            for (int i = 0; i < events; ++i) {
                check(mService.nativeSendStream(OBJECT_ID, NAME, mStream, STREAM_ID) == 0, name);
            }
            check(moduleCounter("bench_streams") - before == events, "streams counted");
            check(moduleCounter("bench_wrong_streams") == 0, "stream texts of the wrong length");
        }

        void floor() {
            for (int i = 0; i < events; ++i) check(mFloor.copyStream(mStream) == 0, "floor copy");
        }

        @Override
        double value(long nanos) {
            return (double) events * STREAM_BYTES / nanos * 1e9 / (1L << 30);
        }

        @Override
        String unit() {
            return "GiB/s";
        }

        @Override
        boolean met(double ratio, double libraryValue) {
            return libraryValue >= 4.0;
        }
    }

    /** The time one answer took the audio thread, in µs, over all its cycles. */
    private record AudioResult(String path, double median, double p99, double max, long dropped,
            boolean queued, boolean fifo) {
        /** A push to the queue: p99 under 1 µs, at most under 10 µs. */
        boolean met() {
            return !queued || (p99 < 1.0 && max < 10.0);
        }
    }

    /** One answer from an audio thread each millisecond: "direct", "queue" or "none". */
    private AudioResult measureAudio(String mode) {
        boolean queued = mode.equals("queue");
        int cycles = mShort ? 20 : 5000;
        mAudioSink.reset();
        OvikServiceInstallable.setEventSink(mAudioSink);
        try {
            command("audio " + mode + " " + cycles);
        } finally {
            OvikServiceInstallable.setEventSink(mSink);
        }
        long dropped = moduleCounter("bench_audio_dropped");
        long answers = mode.equals("none") ? 0 : cycles - dropped;
        check(mAudioSink.audio() == answers && mAudioSink.bad() == 0,
                "audio answers: " + mAudioSink.audio() + " of " + cycles + " less " + dropped
                        + " dropped, " + mAudioSink.bad() + " wrong");
        String path = switch (mode) {
            case "queue" -> "pushed to OXAAnswerQueue";
            case "direct" -> "direct response()";
            default -> "no answer (the timing's floor on this machine)";
        };
        return new AudioResult(path,
                moduleCounter("bench_audio_median_ns") / 1000.0,
                moduleCounter("bench_audio_p99_ns") / 1000.0,
                moduleCounter("bench_audio_max_ns") / 1000.0, dropped, queued,
                moduleCounter("bench_audio_realtime") == 1);
    }

    private static final class Result {
        String path;
        String unit;
        double library;
        double floor;
        double ratio;
        double ratioMin;
        double ratioMax;
        String goal;
        boolean met;
    }

    private static double median(double[] values) {
        double[] sorted = values.clone();
        Arrays.sort(sorted);
        int middle = sorted.length / 2;
        return sorted.length % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }

    private static long time(Runnable block) {
        long start = System.nanoTime();
        block.run();
        return System.nanoTime() - start;
    }

    private Result measure(BenchPath path, int rounds) {
        int warmUps = mShort ? 1 : 3;
        for (int i = 0; i < warmUps; ++i) {
            path.library();
            path.floor();
        }
        double[] libraryTimes = new double[rounds];
        double[] floorTimes = new double[rounds];
        double[] ratios = new double[rounds];
        for (int round = 0; round < rounds; ++round) {
            long libraryNanos;
            long floorNanos;
            if (round % 2 == 0) {
                libraryNanos = time(path::library);
                floorNanos = time(path::floor);
            } else {
                floorNanos = time(path::floor);
                libraryNanos = time(path::library);
            }
            libraryTimes[round] = libraryNanos;
            floorTimes[round] = floorNanos;
            ratios[round] = (double) libraryNanos / floorNanos;
        }
        Result result = new Result();
        result.path = path.name;
        result.unit = path.unit();
        result.library = path.value((long) median(libraryTimes));
        result.floor = path.value((long) median(floorTimes));
        result.ratio = median(ratios);
        result.ratioMin = Arrays.stream(ratios).min().getAsDouble();
        result.ratioMax = Arrays.stream(ratios).max().getAsDouble();
        result.goal = path.goal;
        result.met = path.met(result.ratio, result.library);
        return result;
    }

    private void setUp() {
        OvikServiceInstallable.setEventSink(mSink);
        Floor.setEventSink(mSink);
        check(mService.nativeSetup(null, NAME, OBJECT_ID) == 0, "set-up");
        Path module = Path.of(mModule);
        command("init_client:bench:" + module.getFileName() + ":" + module.getParent());
    }

    private void tearDown() {
        mService.nativeDeleteClient(NAME);
    }

    private static String machine() {
        try {
            for (String line : Files.readAllLines(Path.of("/proc/cpuinfo"))) {
                if (line.startsWith("model name")) {
                    return line.substring(line.indexOf(':') + 1).trim() + ", "
                            + Runtime.getRuntime().availableProcessors() + " cores";
                }
            }
        } catch (IOException e) {
            // No processor name; the architecture below still says something.
        }
        return System.getProperty("os.arch") + ", "
                + Runtime.getRuntime().availableProcessors() + " cores";
    }

    private static String format(double value) {
        return String.format(Locale.ROOT, value >= 100 ? "%.0f" : "%.2f", value);
    }

    public static void main(String[] args) throws IOException {
        boolean isShort = false;
        int rounds = 11;
        String csv = "jni-benchmark.csv";
        String only = "";
        for (int i = 0; i < args.length; ++i) {
            switch (args[i]) {
                case "--short" -> isShort = true;
                case "--rounds" -> rounds = Integer.parseInt(args[++i]);
                case "--csv" -> csv = args[++i];
                case "--only" -> only = args[++i];
                default -> throw new IllegalArgumentException("unknown argument " + args[i]);
            }
        }
        if (rounds < 9 && !isShort) throw new IllegalArgumentException("at least 9 rounds");
        String module = System.getProperty("ovik.bench.module");
        if (module == null) throw new IllegalArgumentException("-Dovik.bench.module is not set");

        JniBenchmark benchmark = new JniBenchmark(module, isShort);
        benchmark.setUp();
        List<Result> results = new ArrayList<>();
        List<AudioResult> audio = new ArrayList<>();
        try {
            List<BenchPath> paths = List.of(benchmark.new CommandPath(), benchmark.new TextPath(false),
                    benchmark.new TextPath(true), benchmark.new DataPath(4096, "4 KiB"),
                    benchmark.new DataPath(200 * 1024, "200 KiB"), benchmark.new RequestPath(),
                    benchmark.new StreamPath());
            for (BenchPath path : paths) {
                if (path.name.contains(only)) results.add(benchmark.measure(path, rounds));
            }
            if ("answer from an audio thread".contains(only)) {
                audio.add(benchmark.measureAudio("direct"));
                audio.add(benchmark.measureAudio("queue"));
                audio.add(benchmark.measureAudio("none"));
            }
        } finally {
            benchmark.tearDown();
        }

        System.out.println("machine: " + machine());
        System.out.println("JVM: " + System.getProperty("java.vm.name") + " "
                + System.getProperty("java.runtime.version"));
        System.out.println("rounds: " + rounds + (isShort ? " (short mode: no goals)" : ""));
        System.out.println();
        System.out.println("| path | library | floor | ratio (min–max) | goal | met |");
        System.out.println("|---|---|---|---|---|---|");
        try (PrintWriter out = new PrintWriter(Files.newBufferedWriter(Path.of(csv)))) {
            out.println("path,unit,library,floor,ratio,ratio_min,ratio_max,goal,met");
            for (Result r : results) {
                String met = isShort ? "-" : (r.met ? "yes" : "no");
                System.out.println("| " + r.path + " | " + format(r.library) + " " + r.unit + " | "
                        + format(r.floor) + " " + r.unit + " | " + format(r.ratio) + " ("
                        + format(r.ratioMin) + "–" + format(r.ratioMax) + ") | " + r.goal + " | "
                        + met + " |");
                out.println(String.join(",", "\"" + r.path + "\"", r.unit, format(r.library),
                        format(r.floor), format(r.ratio), format(r.ratioMin), format(r.ratioMax),
                        "\"" + r.goal + "\"", met));
            }
        }
        if (!audio.isEmpty()) {
            System.out.println();
            System.out.println("| answer from an audio thread, once a ms (Java takes 1 ms over another "
                    + "thread's answer) | median | p99 | max | dropped | goal | met |");
            System.out.println("|---|---|---|---|---|---|---|");
            for (AudioResult r : audio) {
                String met = isShort || !r.queued() ? "-" : (r.met() ? "yes" : "no");
                System.out.println("| " + r.path() + " | " + format(r.median()) + " µs | "
                        + format(r.p99()) + " µs | " + format(r.max()) + " µs | " + r.dropped()
                        + " | " + (r.queued() ? "p99 < 1 µs, max < 10 µs" : "-") + " | " + met
                        + " |");
            }
            System.out.println();
            System.out.println("audio thread scheduling: " + (audio.get(0).fifo()
                    ? "SCHED_FIFO" : "ordinary (SCHED_FIFO refused)"));
        }
        System.out.println();
        System.out.println("CSV: " + csv);
    }
}
