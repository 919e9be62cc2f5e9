package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotSame;
import static org.junit.jupiter.api.Assertions.assertSame;

import com.morvane.ovik.jvmtest.support.LogLine;
import org.junit.jupiter.api.Test;

/** nativeGetJackClientName: the module's name, or Java's default itself. */
class JackClientNameTest extends ServiceTest {
    private static final String NAME = "jack_111";
    private static final int ID = 111;

    @Test
    void a_started_module_with_a_name_gives_that_name() {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "jack_name ovik:meter \u00e9"));
        assertEquals(0, command(ID, NAME, "start_client"));
        String defaultName = new String("fallback");
        String name = service.nativeGetJackClientName("query", defaultName, ID);
        assertEquals("ovik:meter \u00e9", name);
        assertNotSame(defaultName, name);
    }

    @Test
    void a_started_module_without_a_name_gives_the_default_name_itself() {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "jack_name_null"));
        assertEquals(0, command(ID, NAME, "start_client"));
        String defaultName = new String("fallback");
        assertSame(defaultName, service.nativeGetJackClientName("query", defaultName, ID));
        assertLogged(LogLine.info(LogLine.BRIDGE_TAG,
                "jack client name is not set. So, default name that you set will be used."));
    }

    @Test
    void a_module_not_started_yet_gives_the_default_name_itself() {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "jack_name early"));
        String defaultName = new String("fallback");
        assertSame(defaultName, service.nativeGetJackClientName("query", defaultName, ID));
    }

    @Test
    void the_name_still_comes_after_tear_down() {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "jack_name late"));
        assertEquals(0, command(ID, NAME, "start_client"));
        assertEquals(0, command(ID, NAME, "tear_down"));
        assertEquals("late", service.nativeGetJackClientName("query", "fallback", ID));
    }
}
