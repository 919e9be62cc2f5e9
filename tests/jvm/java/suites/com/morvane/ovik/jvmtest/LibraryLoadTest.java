package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeLog;
import org.junit.jupiter.api.Test;

class LibraryLoadTest extends ServiceTest {
    @Test
    void loading_the_library_logs_the_load_line_and_no_error() {
        assertTrue(Service.LOAD_LINES.contains(
                        LogLine.debug(LogLine.BRIDGE_TAG, "Load The OvikService JNI(4)")),
                "load lines: " + Service.LOAD_LINES);
        for (LogLine line : Service.LOAD_LINES) {
            assertTrue(line.priority() < LogLine.ERROR, "error while loading: " + line);
        }
    }

    @Test
    void the_native_methods_are_bound_once_the_load_hook_succeeded() {
        assertEquals(1, service.nativeGetNativeVersionCode());
    }

    @Test
    void the_first_set_up_of_the_process_creates_the_listener() {
        assertEquals(0, Service.FIRST_SETUP_RESULT);
        long created = Service.FIRST_SETUP_LINES.stream()
                .filter(line -> line.priority() == LogLine.INFO
                        && line.tag().equals(LogLine.BRIDGE_TAG)
                        && line.message().matches("JNIOXAUserContext creating this=0x[0-9a-f]+"))
                .count();
        assertEquals(1, created, "first set-up lines: " + Service.FIRST_SETUP_LINES);
    }

    @Test
    void later_set_ups_create_no_second_listener() {
        setUpClient("later_61", 61);
        assertEquals(0, NativeLog.matching(LogLine.INFO, LogLine.BRIDGE_TAG,
                "JNIOXAUserContext creating.*").size());
        assertLogged(
                LogLine.info(LogLine.BRIDGE_TAG, "Loader: OXAClient[later_61][61] is starting"));
    }

    @Test
    void setting_up_an_object_id_twice_keeps_the_first_client() {
        setUpClient("twice_62", 62);
        NativeLog.clear();
        assertEquals(0, service.nativeSetup(null, "twice_62", 62));
        assertLoggedInOrder(
                LogLine.info(LogLine.BRIDGE_TAG, "Loader: OXAClient[twice_62][62] is starting"),
                LogLine.info(LogLine.BRIDGE_TAG, "Loader: already exist"));
    }
}
