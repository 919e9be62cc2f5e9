package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeHelper;
import org.junit.jupiter.api.Test;

/** The constant answers, and set-ups that are refused. */
class ConstantsAndSetupTest extends ServiceTest {
    @Test
    void the_version_api_level_and_feature_answers_are_fixed() {
        assertEquals(1, service.nativeGetNativeVersionCode());
        assertEquals(4, service.nativeGetTargetAPILevel());
        for (int feature : new int[] {0, 1, 7, -1, Integer.MAX_VALUE}) {
            assertEquals(3, service.nativeIsFeatureSupport(feature));
        }
    }

    @Test
    void only_sdk_api_levels_above_4_are_allowed() {
        assertEquals(0, service.nativeIsAPILevelAllowed(3));
        assertEquals(0, service.nativeIsAPILevelAllowed(4));
        assertEquals(1, service.nativeIsAPILevelAllowed(5));
        assertEquals(1, service.nativeIsAPILevelAllowed(100));
        assertEquals(0, service.nativeIsAPILevelAllowed(Integer.MIN_VALUE));
    }

    @Test
    void a_set_up_without_a_name_returns_1_and_registers_nothing() {
        assertEquals(1, service.nativeSetup(null, null, 121));
        assertLogged(LogLine.error(LogLine.BRIDGE_TAG, "fail to setup, the client name is null"));
        assertEquals(0, NativeHelper.registeredClients());
    }

    @Test
    void a_set_up_with_a_name_without_underscore_returns_1_and_registers_nothing() {
        assertEquals(1, service.nativeSetup(null, "nounderscore", 122));
        assertLoggedInOrder(
                LogLine.error(LogLine.HOST_TAG, "invalid client name"),
                LogLine.error(LogLine.BRIDGE_TAG,
                        "fail to setup, invalid client name nounderscore"));
        assertEquals(0, NativeHelper.registeredClients());
        assertEquals(1, service.nativeSendCommand(122, "nounderscore!say 1 x"));
    }

    @Test
    void a_client_reads_its_object_id_from_the_end_of_its_name() throws Exception {
        // Registered under 123, the client stamps its answers with the 124 of its name.
        setUpAnswerPaths("a_b_124", 123);
        assertEquals(0, command(123, "a_b_124", "say 1 stamped"));
        awaitEvents(text(1, 124, "stamped"), 1);
    }
}
