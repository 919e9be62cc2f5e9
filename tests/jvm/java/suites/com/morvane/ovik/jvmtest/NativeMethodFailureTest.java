package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;

import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeHelper;
import com.morvane.ovik.jvmtest.support.NativeLog;
import java.nio.ByteBuffer;
import org.junit.jupiter.api.Nested;
import org.junit.jupiter.api.Test;

/** What each native method answers, and logs, when it cannot do its work. */
class NativeMethodFailureTest extends ServiceTest {
    private static final String NAME = "fail_81";
    private static final int ID = 81;
    private static final int UNKNOWN = 404;

    private static final LogLine NOT_FOUND =
            LogLine.info(LogLine.BRIDGE_TAG, "Loader: OXAClient[id:404] is not found");

    private static LogLine bridgeError(String message) {
        return LogLine.error(LogLine.BRIDGE_TAG, message);
    }

    @Nested
    class For_an_unknown_object_id {
        @Test
        void a_command_returns_1() {
            assertEquals(1, service.nativeSendCommand(UNKNOWN, "fail_404!say 1 x"));
            assertLoggedInOrder(NOT_FOUND, bridgeError("fail to send command. client is null"));
        }

        @Test
        void a_request_returns_null() {
            assertNull(service.nativeRequest(UNKNOWN, "fill 1", 0, 0));
            assertLoggedInOrder(
                    NOT_FOUND, bridgeError("fail to request command. client is null"));
        }

        @Test
        void a_stream_returns_1() {
            assertEquals(1, service.nativeSendStream(
                    UNKNOWN, "s", ByteBuffer.allocateDirect(4), 1));
            assertLoggedInOrder(NOT_FOUND, bridgeError("fail to send stream. client is null"));
        }

        @Test
        void a_name_query_returns_the_default_name_itself_without_a_line_of_its_own() {
            String defaultName = new String("fallback");
            assertSame(defaultName, service.nativeGetJackClientName("n", defaultName, UNKNOWN));
            assertEquals(java.util.List.of(NOT_FOUND), NativeLog.withTags(LogLine.BRIDGE_TAG));
        }
    }

    @Nested
    class For_a_registered_client {
        @Test
        void a_null_command_returns_1() {
            setUpAnswerPaths(NAME, ID);
            assertEquals(1, service.nativeSendCommand(ID, null));
            assertLogged(bridgeError("fail to send command. param is null."));
        }

        @Test
        void a_null_request_returns_null() {
            setUpAnswerPaths(NAME, ID);
            assertNull(service.nativeRequest(ID, null, 0, 0));
            assertLogged(bridgeError("fail to request command. param is null"));
        }

        @Test
        void a_heap_buffer_stream_returns_1() {
            setUpAnswerPaths(NAME, ID);
            assertEquals(1, service.nativeSendStream(ID, "s", ByteBuffer.allocate(4), 1));
            assertLogged(bridgeError("fail to send stream. param is null."));
            assertEquals(0, events.matching(e -> e.ext1() == 4).size());
        }

        @Test
        void a_null_buffer_stream_returns_1() {
            setUpAnswerPaths(NAME, ID);
            assertEquals(1, service.nativeSendStream(ID, null, null, 1));
            assertLogged(bridgeError("fail to send stream. param is null."));
        }

        @Test
        void a_null_name_query_returns_the_default_name_itself() {
            setUpAnswerPaths(NAME, ID);
            String defaultName = new String("fallback");
            assertSame(defaultName, service.nativeGetJackClientName(null, defaultName, ID));
            assertLogged(bridgeError("fail to get jack client name. param is null"));
        }

        @Test
        void a_null_default_name_comes_back_as_null() {
            setUpAnswerPaths(NAME, ID);
            assertNull(service.nativeGetJackClientName("n", null, ID));
        }

        @Test
        void a_request_the_module_refuses_returns_null() {
            setUpAnswerPaths(NAME, ID);
            assertNull(service.nativeRequest(ID, "fail", 0, 0));
            assertLoggedInOrder(
                    LogLine.error(LogLine.HOST_TAG,
                            "Fail to reqeust : The processing module return error. "
                                    + "please check it again"),
                    bridgeError("fail to request data from client"));
        }
    }

    @Nested
    class For_a_client_without_a_module {
        @Test
        void a_request_returns_null() {
            setUpClient(NAME, ID);
            assertNull(service.nativeRequest(ID, "fill 1", 0, 0));
            assertLoggedInOrder(
                    LogLine.debug(LogLine.HOST_TAG,
                            "Fail to request: The processing module doesn't exist. "
                                    + "Maybe The OXAClient has a problem..."),
                    bridgeError("fail to request data from client"));
        }

        @Test
        void a_stream_returns_1() {
            setUpClient(NAME, ID);
            assertEquals(1, service.nativeSendStream(ID, "s", ByteBuffer.allocateDirect(1), 1));
            assertLogged(LogLine.error(LogLine.HOST_TAG,
                    "fail to send stream. The processing module is not loaded"));
        }

        @Test
        void a_name_query_returns_the_default_name_itself() {
            setUpClient(NAME, ID);
            String defaultName = new String("fallback");
            assertSame(defaultName, service.nativeGetJackClientName("n", defaultName, ID));
            assertLoggedInOrder(
                    LogLine.error(LogLine.HOST_TAG,
                            "fail to get the jack client name. The processing module is not "
                                    + "loaded"),
                    LogLine.info(LogLine.BRIDGE_TAG,
                            "jack client name is not set. So, default name that you set will "
                                    + "be used."));
        }
    }

    @Nested
    class For_deletion {
        @Test
        void a_null_name_returns_1_and_logs_nothing() {
            assertEquals(1, service.nativeDeleteClient(null));
            assertEquals(java.util.List.of(),
                    NativeLog.withTags(LogLine.BRIDGE_TAG, LogLine.HOST_TAG));
        }

        @Test
        void an_unregistered_name_returns_0() {
            assertEquals(0, service.nativeDeleteClient("nobody_1"));
            assertLoggedInOrder(
                    LogLine.info(LogLine.BRIDGE_TAG, "Loader: OXAClient[nobody_1] is deleting"),
                    LogLine.info(LogLine.BRIDGE_TAG, "Loader: OXAClient is not existed"));
        }

        @Test
        void a_registered_name_removes_the_client() {
            setUpClient(NAME, ID);
            assertEquals(0, service.nativeDeleteClient(NAME));
            assertEquals(0, NativeHelper.registeredClients());
            assertEquals(1, service.nativeSendCommand(ID, NAME + "!say 1 x"));
        }
    }
}
