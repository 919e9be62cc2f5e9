package com.morvane.ovik.jvmtest.stress;

/**
 * The seeded operation mix of the stress run. Thread t of a run with seed S
 * draws its operations from a SplitMix64 sequence started at S + (t + 1) *
 * GOLDEN, so a seed gives every thread the same operations on every run. The
 * fake-JNI stress case (tests/fakejni/StressTest.cpp) draws the same
 * operations from the same numbers: keep both in step.
 *
 * <p>Clients 0..15 are named "stress_ID"; even ones load the version-2
 * answer-paths module, odd ones the version-1 command-echo module. Texts
 * ending in a word "@K:T" make the callback that receives them run re-entry
 * operation K on client T (see {@link #reentry}).
 */
public final class OpMix {
    public static final int CLIENTS = 16;
    public static final long GOLDEN = 0x9E3779B97F4A7C15L;
    /** The id of answers through the process-wide response handle. */
    public static final int HANDLE_ID = 77;

    public static final int SETUP = 0, COMMAND = 1, MODULE = 2, REQUEST = 3, STREAM = 4,
            NAME = 5, DELETE = 6, REENTER_JAVA = 7, REENTER_MODULE = 8, SWEEP = 9, USB = 10;
    /** Weights per thousand, in the order of the kinds above. */
    private static final int[] WEIGHTS = {100, 230, 190, 80, 80, 80, 30, 90, 104, 1, 15};

    /** Every command word of the interpreter; "init" stands for the client's init_client:. */
    private static final String[] WORDS = {"midi:90 40 7f", "setbypassenabledfalse",
            "setbypassenabledtrue", "tear_down", "activate", "deactivate", "enable_sync",
            "disable_sync", "init", "start_client -a  b", "activate "};
    /** Module texts; "#" is replaced by a drawn number from 1 to 8. */
    private static final String[] TEXTS = {"say # hello", "say_plain plain", "say_null #",
            "say_data # 48", "thread_say # 3 tick", "thread_stop", "jack_name jack#",
            "jack_name_null", "farewell bye", "handle_say 77 through the handle", "result #",
            "no_such_word #"};
    /**
     * Commands a callback sends; after them come request, stream, name query and
     * delete. None makes the answer-paths module wait for a thread of its own (activate,
     * deactivate, tear_down and thread_stop join its level or answering
     * threads): that thread's answer would wait for the listener lock, which
     * the thread in the callback holds.
     */
    public static final String[] REENTRY_COMMANDS = {"say 1 again", "midi:80", "enable_sync",
            "disable_sync", "setbypassenabledtrue", "start_client", "result 2", "jack_name inner"};
    public static final int REENTRY_REQUEST = REENTRY_COMMANDS.length;
    public static final int REENTRY_STREAM = REENTRY_REQUEST + 1;
    public static final int REENTRY_NAME = REENTRY_REQUEST + 2;
    public static final int REENTRY_DELETE = REENTRY_REQUEST + 3;
    private static final int REENTRY_KINDS = REENTRY_DELETE + 1;

    /** One operation: its kind, its client, and a text or a number as the kind needs. */
    public record Op(int kind, int client, String text, int number) {}

    private long mState;

    public OpMix(long seed, int thread) {
        mState = seed + (thread + 1) * GOLDEN;
    }

    public static String name(int client) {
        return "stress_" + client;
    }

    public static boolean isVersion2(int client) {
        return client % 2 == 0;
    }

    public static String initCommand(int client, String moduleDir) {
        String file = isVersion2(client) ? "libanswer_paths.so" : "libwave_command_echo.so";
        return "init_client:stress:" + file + ":" + moduleDir;
    }

    long next() {
        long z = (mState += GOLDEN);
        z = (z ^ (z >>> 30)) * 0xBF58476D1CE4E5B9L;
        z = (z ^ (z >>> 27)) * 0x94D049BB133111EBL;
        return z ^ (z >>> 31);
    }

    int below(int bound) {
        return (int) Long.remainderUnsigned(next(), bound);
    }

    public Op next(String moduleDir) {
        int roll = below(1000);
        int kind = 0;
        while (roll >= WEIGHTS[kind]) roll -= WEIGHTS[kind++];
        int client = below(CLIENTS);
        switch (kind) {
            case COMMAND: {
                String word = WORDS[below(WORDS.length)];
                return new Op(kind, client, word.equals("init") ? initCommand(client, moduleDir)
                        : word, 0);
            }
            case MODULE:
                return new Op(kind, client,
                        TEXTS[below(TEXTS.length)].replace("#", Integer.toString(1 + below(8))), 0);
            case REQUEST:
            case STREAM:
                return new Op(kind, client, null, 1 + below(64));
            case REENTER_JAVA:
            case REENTER_MODULE: {
                String marker = reentry();
                return new Op(kind, client,
                        kind == REENTER_JAVA ? "say 9 " + marker : "thread_say 9 2 " + marker, 0);
            }
            case SWEEP:
            case USB:
                // Only the answer-paths module raises them: an even client.
                return new Op(kind, client & ~1, kind == SWEEP ? "force_death swept" : "usb 1 owned",
                        0);
            default:
                return new Op(kind, client, null, 0);
        }
    }

    /** A marker "@K:T" for re-entry operation K on client T. */
    private String reentry() {
        int kind = below(REENTRY_KINDS);
        return "@" + kind + ":" + below(CLIENTS);
    }
}
