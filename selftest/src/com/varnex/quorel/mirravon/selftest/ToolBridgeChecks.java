package com.varnex.quorel.mirravon.selftest;

import com.varnex.quorel.mirravon.testmanagement.drovix.common.DrovixNative;

/**
 * The tool bridge's two questions, which only read the registry and the environment. Everything
 * else of DrovixNative talks to the test tool and drives its windows, so it is left out.
 */
final class ToolBridgeChecks {
    /** The library's buffer for the tool's home holds 259 characters and the terminator. */
    private static final int HOME_ROOM = 259;

    private final Report report;

    ToolBridgeChecks(Report report) {
        this.report = report;
    }

    void run() {
        final String installed = "native_isDrovixInstalled (its App Paths key)";
        final String either = "true or false, no exception";
        report.run(installed, either, () -> report.pass(installed, either, String.valueOf(DrovixNative.native_isDrovixInstalled())));

        String home = System.getenv("QUORL_KVHOME");
        final String want;
        final String expected;
        if (home == null || home.isEmpty()) {
            want = "";
            expected = "\"\" (QUORL_KVHOME is not set)";
        } else if (home.length() > HOME_ROOM) {
            want = "";
            expected = "\"\" (QUORL_KVHOME is longer than " + HOME_ROOM + " characters)";
        } else {
            want = home;
            expected = Text.quoted(home) + " (QUORL_KVHOME as set)";
        }
        final String folder = "native_getDrovixInstallDir";
        report.run(folder, expected, () -> {
            String got = DrovixNative.native_getDrovixInstallDir();
            report.check(want.equals(got), folder, expected, Text.quoted(got));
        });
    }
}
