package com.varnex.quorel.mirravon.selftest;

import java.io.File;

/**
 * Checks on this machine, in this Java VM, that the release's two JNI libraries load and that each
 * of their exports works, with inputs that change nothing on the machine. Exit code 0 only when
 * every check passed, 1 when one failed or could not run, 2 for a wrong command line.
 */
public final class SelfTest {
    private static final String USAGE =
        "usage: java -jar mirravon-native-selftest.jar [--dll-folder DIR] [--agent-controller]\n"
        + "  --dll-folder DIR    load tavrodvxjni.dll and tavroos.dll from DIR instead of the release's\n"
        + "                      win32-x86\\ or win32-x86-64\\ folder that matches this Java VM\n"
        + "  --agent-controller  also restart the agent controller (stops its service and its server)";

    private SelfTest() {}

    public static void main(String[] args) {
        String dllFolder = null;
        boolean agentController = false;
        for (int i = 0; i < args.length; i++) {
            if (args[i].equals("--dll-folder") && i + 1 < args.length) {
                dllFolder = args[++i];
            } else if (args[i].equals("--agent-controller")) {
                agentController = true;
            } else if (args[i].equals("--help") || args[i].equals("-h") || args[i].equals("/?")) {
                System.out.println(USAGE);
                System.exit(0);
            } else {
                System.out.println("selftest: unknown or incomplete option \"" + Text.ascii(args[i]) + "\"");
                System.out.println(USAGE);
                System.exit(2);
            }
        }
        Report report = new Report(System.out);
        run(report, dllFolder, agentController);
        report.info("");
        report.info(report.summary());
        System.exit(report.exitCode());
    }

    private static void run(Report report, String dllFolder, boolean agentController) {
        Libraries.Architecture vm = Libraries.architecture();
        report.info("Mirravon native layer self-test, release " + ReleaseInfo.VERSION);
        report.info("Java VM:         " + Machine.javaVm());
        report.info("VM architecture: " + vm.describe() + " (os.arch=" + Text.orNotSet(System.getProperty("os.arch"))
                    + ", sun.arch.data.model=" + Text.orNotSet(System.getProperty("sun.arch.data.model")) + ")");
        report.info("OS:              " + Machine.os());
        report.info("WOW64:           " + Machine.wow64(vm));
        report.info("ANSI code page:  " + Machine.ansiCodePage());
        if (vm.problem != null) {
            report.fail("the Java VM's architecture", "a 32-bit (x86) or 64-bit (x86-64) Java VM", vm.problem);
            return;
        }
        File folder = dllFolder != null ? new File(dllFolder).getAbsoluteFile() : releaseFolder(vm);
        if (folder == null) {
            report.fail("finding the release folder", "this program run as -jar from the release's selftest\\ folder",
                        "java.class.path is " + Text.quoted(System.getProperty("java.class.path"))
                            + "; name the libraries' folder with --dll-folder DIR");
            return;
        }
        report.info("Libraries from:  " + folder.getPath()
                    + (dllFolder != null ? " (--dll-folder)" : " (the release's folder for a " + vm.describe() + " VM)"));
        // tavrodvxjni.dll makes the tool's home the process's current folder when it loads, so
        // every path here is made absolute before.
        Libraries.Library os = Libraries.load(folder, Libraries.OS_LIBRARY, vm);
        Libraries.Library pipe = Libraries.load(folder, Libraries.PIPE_LIBRARY, vm);
        for (Libraries.Library library : new Libraries.Library[] {pipe, os}) {
            String version = library.header == null ? "(no version)" : Text.orNotSet(library.header.fileVersion);
            report.info(pad(library.name, 17) + "file version " + version + ", " + library.file.getPath());
        }
        report.info("");
        String expected = "a " + vm.describe() + " library that loads into this VM";
        for (Libraries.Library library : new Libraries.Library[] {pipe, os}) {
            report.check(library.loaded(), "loading " + library.name, expected,
                         library.loaded() ? "a " + PeFile.describe(library.header.machine) + " library, loaded"
                                          : library.problem);
        }
        versions(report, pipe, os);
        if (os.loaded()) {
            new OsServicesChecks(report).run(agentController);
        } else {
            report.skip("the exports of " + os.name, os.name + " did not load");
        }
        if (pipe.loaded()) {
            new ToolBridgeChecks(report).run();
            new PipeChecks(report).run();
        } else {
            report.skip("the exports of " + pipe.name, pipe.name + " did not load");
        }
        report.info("");
        report.info("Left out, as they stop services or talk to the test tool: "
                    + (agentController ? "" : "startQAC (run with --agent-controller), ")
                    + "native_login, native_loginAndLaunch, native_logoff, native_openScript, native_highlightScript, "
                    + "native_playbackScript.");
    }

    /** The libraries that are there carry the release's version (a.b.c as the file version a.b.c.0). */
    private static void versions(Report report, Libraries.Library... libraries) {
        String release = ReleaseInfo.VERSION + ".0";
        StringBuilder got = new StringBuilder();
        boolean same = true;
        for (Libraries.Library library : libraries) {
            if (!library.file.isFile()) continue;
            String version = library.header == null ? null : library.header.fileVersion;
            same &= release.equals(version);
            got.append(got.length() > 0 ? ", " : "").append(library.name).append(' ')
                .append(library.header == null ? "unreadable" : Text.orNotSet(version));
        }
        if (got.length() == 0) return;
        report.check(same, "file versions", release + " (release " + ReleaseInfo.VERSION + ") for each library there",
                     got.toString());
    }

    /** java -jar gives the jar as the class path: its folder is selftest\ in the release folder. */
    private static File releaseFolder(Libraries.Architecture vm) {
        String classPath = System.getProperty("java.class.path");
        if (classPath == null || classPath.indexOf(';') >= 0 || !classPath.toLowerCase().endsWith(".jar")) return null;
        File selftest = new File(classPath).getAbsoluteFile().getParentFile();
        File release = selftest == null ? null : selftest.getParentFile();
        return release == null ? null : new File(release, vm.folder);
    }

    private static String pad(String s, int width) {
        StringBuilder b = new StringBuilder(s);
        while (b.length() < width) b.append(' ');
        return b.toString();
    }
}
