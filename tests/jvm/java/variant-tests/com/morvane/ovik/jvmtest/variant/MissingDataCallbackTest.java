package com.morvane.ovik.jvmtest.variant;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeLog;
import java.util.List;
import org.junit.jupiter.api.DisplayNameGeneration;
import org.junit.jupiter.api.DisplayNameGenerator;
import org.junit.jupiter.api.Test;

@DisplayNameGeneration(DisplayNameGenerator.ReplaceUnderscores.class)
class MissingDataCallbackTest {
    @Test
    void the_library_refuses_a_service_class_without_the_data_callback() {
        NativeLog.clear();
        assertThrows(UnsatisfiedLinkError.class, OvikServiceInstallable::new);
        assertEquals(List.of(LogLine.debug(LogLine.BRIDGE_TAG, "Load The OvikService JNI(4)"),
                             LogLine.error(LogLine.BRIDGE_TAG,
                                     "Can't find post data event callback function")),
                NativeLog.withTags(LogLine.BRIDGE_TAG, LogLine.HOST_TAG));
    }
}
