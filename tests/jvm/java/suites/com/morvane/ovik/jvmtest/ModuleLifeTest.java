package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertNotSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeHelper;
import com.morvane.ovik.jvmtest.support.NativeLog;
import java.nio.ByteBuffer;
import org.junit.jupiter.api.Test;

/** One module's life from Java's side, client "demo_7" with object id 7. */
class ModuleLifeTest extends ServiceTest {
    private static final String NAME = "demo_7";
    private static final int ID = 7;

    @Test
    void a_module_lives_from_set_up_through_commands_and_answers_to_deletion() throws Exception {
        assertEquals(0, service.nativeSetup(null, NAME, ID));
        assertEquals(0, service.nativeSendCommand(ID,
                NAME + "!init_client:demo:libanswer_paths.so:" + Service.MODULE_DIR));
        assertEquals(1, Service.answerPathsLiveObjects());
        assertLogged(LogLine.debug(LogLine.HOST_TAG, "success to load your wave module"));

        assertEquals(0, service.nativeSendCommand(ID, NAME + "!start_client -v"));
        awaitEvents(text(1, ID, "setUp demo_7 -v"), 1);
        assertEquals(0, service.nativeSendCommand(ID, NAME + "!activate"));
        Event level = awaitEvents(text(2, ID, "level 3"), 1).get(0);
        assertNotSame(Thread.currentThread(), level.thread());

        ByteBuffer block = service.nativeRequest(ID, "fill 100", 0, 10);
        assertNotNull(block);
        assertTrue(block.isDirect());
        assertEquals(100, block.capacity());
        byte[] bytes = new byte[100];
        block.get(bytes);
        assertArrayEquals(Patterns.block(100, 0), bytes);

        assertEquals(0, service.nativeSendCommand(ID, NAME + "!deactivate"));
        assertEquals(0, service.nativeSendCommand(ID, NAME + "!tear_down"));
        NativeLog.clear();
        assertEquals(0, service.nativeDeleteClient(NAME));
        assertEquals(0, NativeHelper.registeredClients());
        assertEquals(0, Service.answerPathsLiveObjects());
        assertEquals(1, NativeLog.matching(LogLine.INFO, LogLine.HOST_TAG,
                "WaveLib was closed this = 0x[0-9a-f]+").size());
        assertEquals(1, service.nativeSendCommand(ID, NAME + "!activate"));
    }

    @Test
    void the_jack_client_commands_reach_the_module_jack_client() throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "start_client"));
        assertEquals(0, command(ID, NAME, "enable_sync"));
        assertEquals(0, command(ID, NAME, "disable_sync"));
        assertEquals(0, command(ID, NAME, "midi:90 40 7f"));
        assertEquals(0, command(ID, NAME, "setbypassenabledtrue"));
        assertEquals(0, command(ID, NAME, "setbypassenabledfalse"));
        for (String text : new String[] {"setUp demo_7", "transport on", "transport off",
                     "midi 90 40 7f", "bypass on", "bypass off"}) {
            awaitEvents(text(1, ID, text), 1);
        }
    }

    @Test
    void a_command_addressed_to_another_client_is_refused() {
        setUpAnswerPaths(NAME, ID);
        assertEquals(1, service.nativeSendCommand(ID, "demo_8!say 1 not mine"));
        assertLogged(
                LogLine.error(LogLine.HOST_TAG, "fail to send a command. You are not allowed."));
        assertEquals(0, events.matching(text(1, ID, "not mine")).size());
    }

    @Test
    void a_module_library_that_cannot_be_opened_fails_the_load_and_can_be_retried() {
        setUpClient(NAME, ID);
        assertEquals(1, service.nativeSendCommand(ID,
                NAME + "!init_client:nothing:libnothing.so:" + Service.MODULE_DIR));
        assertLogged(LogLine.error(LogLine.HOST_TAG, "(in)OXAClient: fail to load user module"));
        assertEquals(0, service.nativeSendCommand(ID,
                NAME + "!init_client:demo:libanswer_paths.so:" + Service.MODULE_DIR));
        assertEquals(1, Service.answerPathsLiveObjects());
    }
}
