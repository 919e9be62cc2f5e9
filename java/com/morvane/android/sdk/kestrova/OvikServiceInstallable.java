package com.morvane.android.sdk.kestrova;

import java.nio.ByteBuffer;

/**
 * The Java half of the service: loads {@code libOvikServiceJni.so}, declares
 * its twelve native methods, and receives the library's events through two
 * static callbacks, which it hands to the installed {@link EventSink}.
 *
 * <h2>Clients, names and object ids</h2>
 * Every hosted module instance is a <em>client</em>, set up with
 * {@link #nativeSetup} under a <em>client name</em> and an <em>object id</em>
 * that the caller chooses. The name must contain {@code "_"} and end in the
 * object id in decimal ({@code "demo_7"} for object id 7): the client reads
 * its own id from the text after the last {@code "_"}. Most methods find the
 * client by object id; commands are addressed by name as
 * {@code "name!command"}; {@link #nativeDeleteClient} takes the name alone.
 *
 * <h2>Events</h2>
 * A module answers at any time with a text or a block of bytes. Each answer
 * reaches Java as one call of {@link EventSink#onEvent} or
 * {@link EventSink#onDataEvent}, carrying:
 * <table>
 * <caption>What each event carries</caption>
 * <tr><th>msgType</th><th>ext1</th><th>ext2</th><th>payload</th></tr>
 * <tr><td>0: a text from a module</td><td>the id the module gave its
 * answer</td><td>the client's object id</td><td>a {@code String}</td></tr>
 * <tr><td>1122: a block of bytes from a module</td><td>the module's
 * ext1</td><td>the client's object id</td><td>a direct {@code ByteBuffer},
 * valid only during the callback</td></tr>
 * <tr><td>100: a client died</td><td>the reason: 1 unknown, 2 forced at the
 * user's request</td><td>the client's object id</td><td>a {@code String} or
 * null</td></tr>
 * <tr><td>1123: the USB device changed hands</td><td>1 now controlled by
 * this audio system, 0 by the Android platform</td><td>the client's object
 * id</td><td>a {@code String} or null</td></tr>
 * </table>
 * The meaning of a module's answer ids and of its texts and bytes belongs to
 * the module and its Java peer; the library passes them through.
 *
 * <h2>Threads</h2>
 * The native methods may be called from any Java thread, and calls may
 * overlap; calls on one client from several threads are not serialised. The
 * callbacks run on whichever thread the module answers on: the Java thread
 * inside a native call (an answer given while the module handles a command),
 * or a native thread of the module (for example its JACK process thread),
 * which the library attaches to the VM for the length of that one event. All
 * events of the process are delivered one at a time. An event sink must
 * return quickly, must not block on a thread that is waiting in a native
 * method of this class, and should hand work to a thread of its own.
 *
 * <h2>Results</h2>
 * No native method throws. Failures come back as results (0 success, 1
 * refused or failed, or a module's own result passed through) or as null, and
 * as a line in the Android log (tags "ZEZE-OvikServiceJNI" and
 * "VAD-OXAClient").
 */
public class OvikServiceInstallable {
    /**
     * Receives every event the library posts. Called on the thread the event
     * comes from (see the class description), one event at a time.
     */
    public interface EventSink {
        /**
         * A text event: a module's answer (msgType 0), a client's death
         * (100) or a change of the USB device's controller (1123).
         *
         * @param msgType what kind of event this is
         * @param ext1 for msgType 0 the answer id the module chose; for 100
         *     and 1123 the reason
         * @param ext2 the object id of the client the event belongs to
         * @param obj the text as a {@code String}; may be null for 100 and
         *     1123
         */
        void onEvent(int msgType, int ext1, int ext2, Object obj);

        /**
         * A block of bytes from a module.
         *
         * @param msgType always 1122
         * @param ext1 the value the module sent with the block
         * @param ext2 the object id of the client the block comes from
         * @param buffer a direct buffer over the module's own memory, of
         *     capacity the block's length. Valid only until this method
         *     returns: copy what must be kept, and never keep the buffer.
         */
        void onDataEvent(int msgType, int ext1, int ext2, ByteBuffer buffer);
    }

    private static volatile EventSink sEventSink;

    static {
        System.loadLibrary("OvikServiceJni");
    }

    /**
     * Installs the receiver of every later event, replacing the earlier one.
     * Events arriving while none is installed are dropped.
     *
     * @param sink the receiver, or null for none
     */
    public static void setEventSink(EventSink sink) {
        sEventSink = sink;
    }

    /**
     * Called by the library for every text event; looked up by name and
     * signature when the library loads, so neither may change.
     *
     * @param ref always null: the library keeps no reference to any Java
     *     object; the client is told by ext2
     * @param msgType 0, 100 or 1123 (see {@link EventSink#onEvent})
     * @param ext1 the answer id or the reason
     * @param ext2 the client's object id
     * @param obj a {@code String} made from the module's text
     */
    private static void postEventFromNative(Object ref, int msgType, int ext1, int ext2, Object obj) {
        EventSink sink = sEventSink;
        if (sink != null) sink.onEvent(msgType, ext1, ext2, obj);
    }

    /**
     * Called by the library for every block of bytes from a module; looked up
     * by name and signature when the library loads.
     *
     * @param ref always null
     * @param msgType always 1122
     * @param ext1 the module's value
     * @param ext2 the client's object id
     * @param buffer a direct buffer over the module's memory, valid only
     *     during this call
     */
    private static void postDataEventFromNative(
            Object ref, int msgType, int ext1, int ext2, ByteBuffer buffer) {
        EventSink sink = sEventSink;
        if (sink != null) sink.onDataEvent(msgType, ext1, ext2, buffer);
    }

    /**
     * The version of the native library's interface.
     *
     * @return always 1
     */
    public native int nativeGetNativeVersionCode();

    /**
     * Creates and registers a client. Nothing is loaded yet: the module comes
     * with the command {@code "init_client:"} ({@link #nativeSendCommand}).
     * The first set-up of the process also creates the listener that delivers
     * every event. Set-ups are serialised.
     *
     * @param weakThis a weak reference to this object, as an Android service
     *     passes it; the library neither keeps nor uses it (events carry the
     *     object id instead), so any object, or the reference the service
     *     already has, will do
     * @param name the client name: contains {@code "_"} and ends in the
     *     object id ({@code "demo_7"}); must not be null
     * @param objectId the id the client is found by, and that every event of
     *     the client carries in ext2. A second set-up with a registered id
     *     changes nothing and still succeeds.
     * @return 0 when the client exists after the call; 1 when the library
     *     could not find this object's class at the first set-up (the client
     *     is registered all the same, and the next set-up tries again)
     */
    public native int nativeSetup(Object weakThis, String name, int objectId);

    /**
     * Sends a text command to a client. The text is the client's name, then
     * {@code "!"}, then the command ({@code "demo_7!activate"}); a name that
     * is not the client's is refused. The library handles these commands
     * itself:
     * <ul>
     * <li>{@code "init_client:MODULE:FILE:DIR"} loads the module library
     * {@code DIR/FILE}, or when that cannot be opened the fallback
     * {@code DIR/libwave_MODULE.so}; checks its API level (1 to 4), creates
     * its processing object and runs its {@code init()}. Fields are split at
     * the first two {@code ":"}; without the third field DIR is FILE. A
     * client already loaded answers 0 and loads nothing.
     * <li>{@code "start_client WORD..."} sets up the module's JACK client with
     * the client name and the words as its arguments;
     * {@code "activate"}, {@code "deactivate"}, {@code "tear_down"};
     * {@code "enable_sync"} and {@code "disable_sync"} switch transport sync;
     * {@code "setbypassenabledtrue"} and {@code "setbypassenabledfalse"};
     * {@code "midi:TEXT"} passes TEXT to the JACK client.
     * </ul>
     * Every other command goes to the module's own {@code sendCommand}, and
     * its result comes back unchanged. The module may answer during the call,
     * on this thread, before this method returns.
     *
     * @param objectId the client's object id
     * @param command {@code "name!command"}
     * @return 0 done, 1 refused or failed (no such client, wrong name, no
     *     module or JACK client for the command), or the module's own result
     */
    public native int nativeSendCommand(int objectId, String command);

    /**
     * Removes a client from the registry. The client is destroyed (its JACK
     * client torn down, its module object destroyed, its library closed) as
     * soon as no native call is using it any more: at once, or when the last
     * call on another thread returns. No event is posted for it.
     *
     * @param name the client name given to {@link #nativeSetup}
     * @return 0, also for a name that is not registered; 1 when name is null
     */
    public native int nativeDeleteClient(String name);

    /**
     * Asks a client's module to fill a block of memory, and hands it over
     * without a copy. The module is always given a block of 200000 bytes:
     * {@code capacity} is ignored.
     *
     * <p>The buffer is the library's memory, kept for the caller until the
     * next {@code nativeRequest} of the process, by any thread and for any
     * client, that reaches a client: then it is released, even when that
     * request fails. Copy what must be kept before requesting again, and do
     * not request from two threads at once.
     *
     * @param objectId the client's object id
     * @param what what to fill, as the module understands it
     * @param ext1 a value for the module; only its low 32 bits reach it
     * @param capacity ignored
     * @return a direct buffer of capacity the number of bytes the module
     *     filled (at most 200000), or null when there is no such client or
     *     the module failed
     */
    public native ByteBuffer nativeRequest(int objectId, String what, long ext1, long capacity);

    /**
     * Whether an SDK API level is <em>above</em> this service's level 4.
     * Note the sense: 0 means the level is allowed.
     *
     * @param SDKAPILevel the level to test
     * @return 0 for a level up to 4 (allowed), 1 for a level above 4
     */
    public native int nativeIsAPILevelAllowed(int SDKAPILevel);

    /**
     * Passes a stream of bytes to a client's module, without a copy: the
     * module reads the buffer's memory during the call.
     *
     * @param objectId the client's object id
     * @param name not used
     * @param byteBuffer a direct buffer; its whole capacity is sent, whatever
     *     its position and limit. A heap buffer is refused.
     * @param id the stream's id, for the module
     * @return the module's result; 1 when there is no such client or the
     *     buffer is not direct
     */
    public native int nativeSendStream(int objectId, String name, ByteBuffer byteBuffer, int id);

    /**
     * The API level of this service.
     *
     * @return always 4
     */
    public native int nativeGetTargetAPILevel();

    /**
     * Feature support, the same for every feature.
     *
     * @param feature ignored
     * @return always 3
     */
    public native int nativeIsFeatureSupport(int feature);

    /**
     * The name of a client's JACK client, as its module gives it.
     *
     * @param name passed to the module; must not be null
     * @param defaultName returned when the client or its name is missing
     * @param objectId the client's object id
     * @return the module's name for its JACK client, or {@code defaultName}
     *     itself when there is no such client or the module has none
     */
    public native String nativeGetJackClientName(String name, String defaultName, int objectId);

    /**
     * Loads the JACK client library that modules use, through the platform's
     * loader library {@code libovikjack.so}. Call it once before the first
     * module is started; repeated loads go to the loader library unfiltered.
     *
     * @param filePathName the path of the JACK library ({@code libjack.so.0})
     * @return 1 when its symbols were loaded, 0 otherwise
     */
    public native int nativeLoadJackLib(String filePathName);

    /**
     * Unloads the JACK library, but only while no client is registered:
     * with clients left it does nothing.
     *
     * @return always 1, whether or not it unloaded
     */
    public native int nativeUnloadJackLib();
}
