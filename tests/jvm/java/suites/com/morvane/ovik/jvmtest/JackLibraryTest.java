package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.morvane.ovik.jvmtest.support.LogLine;
import org.junit.jupiter.api.Test;

/** Loading and unloading the JACK library through the JACK loader. */
class JackLibraryTest extends ServiceTest {
    /** A real JACK library (system property ovik.test.jack). */
    private static final String JACK = System.getProperty("ovik.test.jack");

    @Test
    void a_real_jack_library_loads_and_unloads() {
        assertEquals(1, service.nativeLoadJackLib(JACK));
        assertLogged(LogLine.debug(LogLine.BRIDGE_TAG, "libjack symbols loaded path=" + JACK));
        assertEquals(1, service.nativeUnloadJackLib());
    }

    @Test
    void a_library_that_is_not_jack_is_refused() {
        assertEquals(0, service.nativeLoadJackLib(Service.ANSWER_PATHS_LIBRARY));
        assertLogged(LogLine.error(LogLine.BRIDGE_TAG,
                "fail to load libjack symbols path=" + Service.ANSWER_PATHS_LIBRARY));
    }

    @Test
    void a_path_that_does_not_exist_is_refused() {
        String missing = Service.MODULE_DIR + "/libjack-missing.so.0";
        assertEquals(0, service.nativeLoadJackLib(missing));
        assertLogged(
                LogLine.error(LogLine.BRIDGE_TAG, "fail to load libjack symbols path=" + missing));
    }

    @Test
    void a_null_path_is_refused() {
        assertEquals(0, service.nativeLoadJackLib(null));
        assertLogged(LogLine.error(LogLine.BRIDGE_TAG,
                "fail to load libjack symbols, filePathName is null."));
    }

    @Test
    void unloading_returns_1_with_a_client_registered_too() {
        setUpClient("jacklib_131", 131);
        assertEquals(1, service.nativeLoadJackLib(JACK));
        assertEquals(1, service.nativeUnloadJackLib());
        assertEquals(1, service.nativeUnloadJackLib());
    }
}
