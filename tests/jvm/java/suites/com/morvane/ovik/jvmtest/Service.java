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
    public static final String ANSWER_PATHS_LIBRARY = Path.of(MODULE_DIR, "libanswer_paths.so").toString();
    public static final String COMMAND_ECHO_LIBRARY = Path.of(MODULE_DIR, "libwave_command_echo.so").toString();

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
        NativeHelper.pinModule(ANSWER_PATHS_LIBRARY);
        NativeHelper.pinModule(COMMAND_ECHO_LIBRARY);
    }

    private Service() {}

    public static int answerPathsLiveObjects() {
        return NativeHelper.moduleCount(ANSWER_PATHS_LIBRARY, "jvmwave_live_objects");
    }

    public static int answerPathsLiveThreads() {
        return NativeHelper.moduleCount(ANSWER_PATHS_LIBRARY, "jvmwave_live_threads");
    }

    public static int commandEchoLiveObjects() {
        return NativeHelper.moduleCount(COMMAND_ECHO_LIBRARY, "jvmwave_live_objects");
    }
}
