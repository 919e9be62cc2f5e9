package com.example.minimal;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import java.lang.ref.WeakReference;
import java.nio.ByteBuffer;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;

/**
 * The least a service does: one client, one module, its answers. Arguments:
 * the module's directory and file name (the example module, libwave_demo.so).
 */
public final class MinimalService {
    private static final String NAME = "demo_7"; // must end in "_" and the object id
    private static final int OBJECT_ID = 7;

    private MinimalService() {}

    public static void main(String[] args) throws InterruptedException {
        // Events come on any thread: hand them to this one through a queue.
        BlockingQueue<String> events = new LinkedBlockingQueue<>();
        OvikServiceInstallable.setEventSink(new OvikServiceInstallable.EventSink() {
            @Override
            public void onEvent(int msgType, int ext1, int ext2, Object obj) {
                events.add("event " + msgType + " ext1=" + ext1 + " ext2=" + ext2 + " " + obj);
            }

            @Override
            public void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer) {
                // The buffer is the module's memory: copy before returning.
                byte[] bytes = new byte[buffer.capacity()];
                buffer.get(bytes);
                events.add("data " + msgType + " ext1=" + ext1 + " ext2=" + ext2 + " "
                        + bytes.length + " bytes");
            }
        });

        OvikServiceInstallable service = new OvikServiceInstallable();
        service.nativeSetup(new WeakReference<>(service), NAME, OBJECT_ID);
        int loaded = command(service, "init_client:demo:" + args[1] + ":" + args[0]);
        if (loaded != 0) System.exit(1);
        command(service, "start_client -v");
        command(service, "activate");
        command(service, "gain 3");

        ByteBuffer block = service.nativeRequest(OBJECT_ID, "letters", 20, 0);
        System.out.println("request: " + (block == null ? "failed" : block.capacity() + " bytes"));

        command(service, "deactivate");
        command(service, "tear_down");
        service.nativeDeleteClient(NAME);

        for (String event; (event = events.poll(1, TimeUnit.SECONDS)) != null; ) {
            System.out.println(event);
        }
    }

    private static int command(OvikServiceInstallable service, String command) {
        int result = service.nativeSendCommand(OBJECT_ID, NAME + "!" + command);
        System.out.println(command + " -> " + result);
        return result;
    }
}
