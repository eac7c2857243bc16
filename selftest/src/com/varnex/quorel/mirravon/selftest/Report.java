package com.varnex.quorel.mirravon.selftest;

import java.io.PrintStream;
import java.util.ArrayList;
import java.util.List;

/**
 * The self-test's output: one PASS or FAIL block per check with what was expected and what came
 * back, information lines, and the one-line summary whose result is the exit code.
 */
final class Report {
    /** A check: it reports its own PASS or FAIL; anything it throws is its FAIL. */
    interface Check {
        void run() throws Exception;
    }

    /** The summary names this many failed checks; the blocks above name them all. */
    private static final int NAMED = 4;

    private final PrintStream out;
    private int passed;
    private final List<String> failed = new ArrayList<String>();
    private final List<String> notRun = new ArrayList<String>();

    Report(PrintStream out) {
        this.out = out;
    }

    void info(String line) {
        out.println(Text.ascii(line));
        out.flush();
    }

    void pass(String check, String expected, String got) {
        passed++;
        block("PASS", check, expected, got);
    }

    void fail(String check, String expected, String got) {
        failed.add(check);
        block("FAIL", check, expected, got);
    }

    void check(boolean ok, String check, String expected, String got) {
        if (ok) {
            pass(check, expected, got);
        } else {
            fail(check, expected, got);
        }
    }

    /** Runs a check; an exception or error that escapes it (a missing export, say) fails it. */
    void run(String check, String expected, Check body) {
        try {
            body.run();
        } catch (Throwable t) {
            fail(check, expected, Text.thrown(t));
        }
    }

    /** Checks that cannot run because what they call is not there. */
    void skip(String check, String reason) {
        notRun.add(check);
        out.println(Text.ascii("SKIP  " + check + ": not run, " + reason));
        out.flush();
    }

    boolean allPassed() {
        return failed.isEmpty() && notRun.isEmpty() && passed > 0;
    }

    /** The last line: the result in one line, naming the failed checks. */
    String summary() {
        int total = passed + failed.size();
        StringBuilder line = new StringBuilder();
        if (allPassed()) {
            line.append("SELF-TEST PASSED: all ").append(total).append(" checks passed");
        } else {
            line.append("SELF-TEST FAILED: ").append(failed.size()).append(" of ").append(total)
                .append(" checks failed");
            if (!notRun.isEmpty()) line.append(", ").append(notRun.size()).append(" not run");
            if (!failed.isEmpty()) {
                List<String> named = new ArrayList<String>();
                for (int i = 0; i < failed.size() && i < NAMED; i++) named.add(failed.get(i));
                line.append(" (").append(Text.joined(named, "; "));
                if (failed.size() > NAMED) line.append("; and ").append(failed.size() - NAMED).append(" more");
                line.append(")");
            }
        }
        return line.toString();
    }

    int exitCode() {
        return allPassed() ? 0 : 1;
    }

    private void block(String result, String check, String expected, String got) {
        out.println(Text.ascii(result + "  " + check));
        out.println(Text.ascii("      expected: " + expected));
        out.println(Text.ascii("      got:      " + got));
        out.flush();
    }
}
