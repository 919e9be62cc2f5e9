package com.morvane.kestrova.demo;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import java.lang.ref.WeakReference;
import java.nio.ByteBuffer;
import java.nio.charset.StandardCharsets;
import java.util.zip.Adler32;

/**
 * Drives the example module through the service's twelve native methods, the
 * way the Android service does: one client "demo_7" with object id 7.
 *
 * <p>Arguments: the module's directory, its file name, the JACK library path,
 * and "jack" when a JACK server runs: the module then becomes a real JACK
 * client and its levels are the meter of its own tone (half scale, -6 dBFS).
 * Exits with 1 when an expected result or event is missing.
 */
public final class ServiceDemo {
    private static final int OBJECT_ID = 7;
    private static final String NAME = "demo_7";
    // The module's answer ids: commands 1, levels 2, streams 3, JACK client 4.
    private static final int COMMAND_ID = 1;
    private static final int LEVEL_ID = 2;
    private static final int STREAM_ID = 3;
    private static final int JACK_ID = 4;
    private static final int LEVEL_COUNT = 5;
    // Generous: under an emulator every JNI round trip takes milliseconds.
    private static final long TIMEOUT_MS = 20_000;

    private final OvikServiceInstallable mService = new OvikServiceInstallable();
    private final EventRecorder mEvents = new EventRecorder();
    private int mFailures;
    private boolean mJack;

    private ServiceDemo() {}

    public static void main(String[] args) throws InterruptedException {
        if (args.length != 3 && !(args.length == 4 && args[3].equals("jack"))) {
            System.err.println(
                    "usage: ServiceDemo <module-dir> <module-file> <libjack-path> [jack]");
            System.exit(2);
        }
        DemoLog.showAllPriorities();
        ServiceDemo demo = new ServiceDemo();
        demo.mJack = args.length == 4;
        demo.run(args[0], args[1], args[2]);
        System.out.printf("demo finished: %d events, %d failed checks%n",
                demo.mEvents.eventCount(), demo.mFailures);
        System.exit(demo.mFailures == 0 ? 0 : 1);
    }

    private void run(String moduleDir, String moduleFile, String jackPath)
            throws InterruptedException {
        OvikServiceInstallable.setEventSink(mEvents);
        constants();
        expect(mService.nativeLoadJackLib(jackPath) == 1, "nativeLoadJackLib(" + jackPath + ")");
        expect(mService.nativeSetup(new WeakReference<>(mService), NAME, OBJECT_ID) == 0,
                "nativeSetup");
        command("init_client:demo:" + moduleFile + ":" + moduleDir, 0);
        awaitText(COMMAND_ID, "wave demo ready");
        if (mJack) {
            command("start_client -v jack", 0);
            awaitText(JACK_ID, "set up: demo_7 -v jack");
            expect(mEvents.awaitTexts(OBJECT_ID, JACK_ID, "jack: wave_demo_demo_7 at ", 1,
                           TIMEOUT_MS),
                    "the module's JACK client on the server");
        } else {
            command("start_client -v", 0);
            awaitText(JACK_ID, "set up: demo_7 -v");
        }
        command("activate", 0);
        awaitText(JACK_ID, "activated");
        moduleThread();
        command("gain 3", 0);
        awaitText(COMMAND_ID, "gain 3");
        deliberately("a command the module does not know: it answers and refuses it");
        command("no such command", 1);
        request();
        stream();
        jackName();
        command("deactivate", 0);
        awaitText(JACK_ID, "deactivated");
        command("tear_down", 0);
        awaitText(JACK_ID, "torn down");
        expect(mService.nativeDeleteClient(NAME) == 0, "nativeDeleteClient");
        deliberately("a command to the deleted client: the library logs that client 7 is"
                + " not found and \"fail to send command. client is null\"");
        expect(mService.nativeSendCommand(OBJECT_ID, NAME + "!status") == 1,
                "a deleted client refuses commands");
        expect(mService.nativeUnloadJackLib() == 1, "nativeUnloadJackLib");
    }

    private void constants() {
        System.out.printf("native version %d, target API level %d, feature support %d%n",
                mService.nativeGetNativeVersionCode(), mService.nativeGetTargetAPILevel(),
                mService.nativeIsFeatureSupport(0));
        expect(mService.nativeGetNativeVersionCode() == 1, "nativeGetNativeVersionCode");
        expect(mService.nativeGetTargetAPILevel() == 4, "nativeGetTargetAPILevel");
        expect(mService.nativeIsFeatureSupport(0) == 3, "nativeIsFeatureSupport");
        expect(mService.nativeIsAPILevelAllowed(4) == 0, "nativeIsAPILevelAllowed(4)");
        expect(mService.nativeIsAPILevelAllowed(5) == 1, "nativeIsAPILevelAllowed(5)");
    }

    /**
     * The module answers five levels and a 5-byte block from its thread: "level 1" ..
     * "level 5", or with JACK five meter readings of its tone.
     */
    private void moduleThread() throws InterruptedException {
        if (mJack) {
            expect(mEvents.awaitTexts(OBJECT_ID, LEVEL_ID, "meter ", LEVEL_COUNT, TIMEOUT_MS),
                    "five meter events");
            awaitText(LEVEL_ID, "meter -6.0 dBFS");
        } else {
            for (int level = 1; level <= LEVEL_COUNT; level++) {
                awaitText(LEVEL_ID, "level " + level);
            }
        }
        expect(mEvents.awaitData(LEVEL_COUNT, TIMEOUT_MS), "data event of 5 bytes");
    }

    private void request() {
        ByteBuffer block = mService.nativeRequest(OBJECT_ID, "letters", 100, 200000);
        expect(block != null && block.isDirect(), "nativeRequest gives a direct buffer");
        if (block == null) return;
        // The buffer stays valid until the next request: copy what is kept.
        byte[] bytes = new byte[block.capacity()];
        block.get(bytes);
        String text = new String(bytes, StandardCharsets.US_ASCII);
        System.out.printf("request: %d bytes \"%s...\"%n", bytes.length,
                text.substring(0, Math.min(30, text.length())));
        expect(bytes.length == 100, "request filled 100 bytes");
        expect(text.startsWith("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD"), "request pattern A..Z");
    }

    private void stream() throws InterruptedException {
        ByteBuffer stream = ByteBuffer.allocateDirect(4096);
        for (int i = 0; i < stream.capacity(); i++) stream.put(i, (byte) (i * 7));
        Adler32 adler = new Adler32();
        adler.update(stream.duplicate());
        String expected = String.format("stream 5 4096 adler32 %08x", adler.getValue());
        expect(mService.nativeSendStream(OBJECT_ID, NAME, stream, 5) == 0, "nativeSendStream");
        awaitText(STREAM_ID, expected);
        deliberately("a heap buffer as a stream: the library logs"
                + " \"fail to send stream. param is null.\"");
        expect(mService.nativeSendStream(OBJECT_ID, NAME, ByteBuffer.allocate(8), 5) == 1,
                "a heap buffer is refused as a stream");
    }

    private void jackName() {
        String name = mService.nativeGetJackClientName(NAME, "fallback", OBJECT_ID);
        System.out.println("JACK client name: " + name);
        expect("wave_demo:demo_7".equals(name), "nativeGetJackClientName");
        deliberately("the JACK client name of object id 99, which was never set up: the"
                + " library logs that it is not found");
        String fallback = mService.nativeGetJackClientName(NAME, "fallback", 99);
        expect("fallback".equals(fallback), "an unknown client gives the default name");
    }

    private void command(String command, int expectedResult) {
        int result = mService.nativeSendCommand(OBJECT_ID, NAME + "!" + command);
        System.out.printf("command \"%s!%s\" -> %d%n", NAME, command, result);
        expect(result == expectedResult, "result " + expectedResult + " of \"" + command + "\"");
    }

    private void awaitText(int id, String text) throws InterruptedException {
        expect(mEvents.awaitText(OBJECT_ID, id, text, TIMEOUT_MS),
                "event id " + id + " \"" + text + "\"");
    }

    /**
     * Says that the next call fails on purpose, so that the log lines it
     * causes (ERROR among them) read as expected.
     */
    private static void deliberately(String what) {
        System.out.println("expected failure next (a negative check): " + what);
    }

    private void expect(boolean condition, String what) {
        if (condition) return;
        mFailures++;
        System.out.println("FAILED: " + what);
    }
}
