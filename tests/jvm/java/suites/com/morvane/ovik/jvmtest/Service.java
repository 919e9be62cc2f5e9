package com.morvane.ovik.jvmtest;

import com.morvane.android.sdk.kestrova.OvikServiceInstallable;
import com.morvane.ovik.jvmtest.support.LogLine;
import com.morvane.ovik.jvmtest.support.NativeHelper;
import com.morvane.ovik.jvmtest.support.NativeLog;
import java.nio.file.Path;
import java.util.List;

/**
 * The one service of the test JVM. Loading this class captures the log from
 * before the library loads, loads it through the service class, installs the
 * event recorder and makes the process's first set-up, keeping the log lines
 * of both steps for the suites that check them.
 */
public final class Service {
    /** The folder of the test modules (system property ovik.test.modules). */
    public static final String MODULE_DIR = System.getProperty("ovik.test.modules");
    public static final String DEMO_LIBRARY = Path.of(MODULE_DIR, "libdemo.so").toString();
    public static final String ECHO_LIBRARY = Path.of(MODULE_DIR, "libwave_echo.so").toString();

    public static final List<LogLine> LOAD_LINES;
    public static final OvikServiceInstallable SERVICE;
    public static final EventRecorder EVENTS = new EventRecorder();
    public static final List<LogLine> FIRST_SETUP_LINES;
    public static final int FIRST_SETUP_RESULT;

    static {
        NativeLog.clear();
        SERVICE = new OvikServiceInstallable();
        LOAD_LINES = NativeLog.lines();
        OvikServiceInstallable.setEventSink(EVENTS);
        NativeLog.clear();
        FIRST_SETUP_RESULT = SERVICE.nativeSetup(null, "harness_900", 900);
        FIRST_SETUP_LINES = NativeLog.lines();
        SERVICE.nativeDeleteClient("harness_900");
        NativeHelper.pinModule(DEMO_LIBRARY);
        NativeHelper.pinModule(ECHO_LIBRARY);
    }

    private Service() {}

    public static int demoLiveObjects() {
        return NativeHelper.moduleCount(DEMO_LIBRARY, "jvmwave_live_objects");
    }

    public static int demoLiveThreads() {
        return NativeHelper.moduleCount(DEMO_LIBRARY, "jvmwave_live_threads");
    }

    public static int echoLiveObjects() {
        return NativeHelper.moduleCount(ECHO_LIBRARY, "jvmwave_live_objects");
    }
}
