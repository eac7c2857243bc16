package com.varnex.quorel.mirravon.selftest;

import com.varnex.quorel.mirravon.testmanagement.services.repository.core.FileStat;
import com.varnex.quorel.mirravon.testmanagement.services.repository.core.KestrumException;
import com.varnex.quorel.mirravon.testmanagement.services.repository.core.ShareRecord;
import com.varnex.quorel.mirravon.testmanagement.services.repository.core.WindowsOperatingSystemAPI;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;

/** Every export of tavroos.dll, with inputs that read the machine and change nothing on it. */
final class OsServicesChecks {
    private final Report report;
    private final WindowsOperatingSystemAPI os = new WindowsOperatingSystemAPI();

    OsServicesChecks(Report report) {
        this.report = report;
    }

    void run(boolean agentController) {
        environment();
        registry();
        kestrum();
        listing();
        unc();
        shares();
        if (agentController) agentController();
    }

    /** The library reads the process's environment; the VM read the same block at its start. */
    private void environment() {
        String[] names = {"PATH", "SystemRoot", "TEMP", "USERPROFILE", "PROCESSOR_ARCHITECTURE"};
        for (final String name : names) {
            final String vm = System.getenv(name);
            if (vm == null) continue;
            final String check = "getenv(\"" + name + "\")";
            final String expected = "the VM's value " + Text.quoted(vm);
            report.run(check, expected, () -> {
                String got = os.getenv(name);
                report.check(vm.equals(got), check, expected, Text.quoted(got));
            });
        }
        final String unset = "MIRRAVON_SELFTEST_UNSET_" + Long.toString(System.nanoTime() & Long.MAX_VALUE, 36);
        final String check = "getenv of a variable that is not set";
        report.run(check, "\"\"", () -> {
            String got = os.getenv(unset);
            report.check("".equals(got), check, "\"\"", Text.quoted(got));
        });
    }

    /** Read only; either value may be absent on a machine, which the library answers with "". */
    private void registry() {
        final String expected = "a text (\"\" when the product is not installed), no exception";
        final String visualStudio = "getRegistryValueForNetInstall (Visual Studio 7.1 or 8.0 InstallDir)";
        report.run(visualStudio, expected, () -> {
            String got = os.getRegistryValueForNetInstall();
            report.check(got != null, visualStudio, expected, Text.quoted(got));
        });
        final String assembly = "getRegistryValueForQFTNetAssemblyNameInstall (\"Quorel FT Net Assembly Name\")";
        report.run(assembly, expected, () -> {
            String got = os.getRegistryValueForQFTNetAssemblyNameInstall();
            report.check(got != null, assembly, expected, Text.quoted(got));
        });
    }

    /** The two answers of the probe agree: a path when installed, the exception when not. */
    private void kestrum() {
        final String check = "isKestrumInstalled and getKestrumPath";
        final String expected = "true with a path, or false with null and KestrumException";
        report.run(check, expected, () -> {
            boolean installed = os.isKestrumInstalled();
            String path;
            try {
                path = Text.quoted(os.getKestrumPath());
            } catch (KestrumException e) {
                path = "null with KestrumException";
            }
            boolean agree = installed ? path.startsWith("\"") : path.equals("null with KestrumException");
            report.check(agree, check, expected, installed + ", " + path);
        });
    }

    private void listing() {
        final ScratchFolder scratch;
        try {
            scratch = ScratchFolder.make();
        } catch (Exception e) {
            report.fail("listFiles: making the scratch folder", "a folder below java.io.tmpdir", Text.thrown(e));
            return;
        }
        try {
            listed("listFiles of a folder with a non-ASCII name in it", scratch.root, ".", "..", ScratchFolder.PLAIN,
                   ScratchFolder.NON_ASCII, ScratchFolder.DEEP + "\\");
            listed("listFiles of a folder whose path has " + scratch.deepest.length() + " characters", scratch.deepest,
                   ".", "..", ScratchFolder.LAST);
            final String check = "listFiles of a folder that does not exist";
            final String expected = "null with KestrumException";
            report.run(check, expected, () -> {
                try {
                    FileStat[] got = os.listFiles(scratch.root + "\\missing");
                    report.fail(check, expected, got == null ? "null without an exception" : names(got).toString());
                } catch (KestrumException e) {
                    report.pass(check, expected, "null with KestrumException");
                }
            });
        } finally {
            String left = scratch.remove();
            report.check(left.isEmpty(), "removing the scratch folder " + scratch.root, "everything removed",
                         left.isEmpty() ? "everything removed" : "left behind: " + left);
        }
    }

    /** The names in the order a sort gives; a folder's with a backslash after it. */
    private void listed(final String check, final String folder, String... entries) {
        List<String> wanted = new ArrayList<String>(Arrays.asList(entries));
        Collections.sort(wanted);
        final String want = Text.joined(wanted, " | ");
        final String expected = want + "  (a \\ after a name marks a folder; \".\" and \"..\" are folders)";
        report.run(check, expected, () -> {
            FileStat[] got = os.listFiles(folder);
            String shown = got == null ? "null" : Text.joined(names(got), " | ");
            report.check(want.equals(shown), check, expected, shown);
        });
    }

    private static List<String> names(FileStat[] stats) {
        List<String> names = new ArrayList<String>();
        for (FileStat stat : stats) {
            String name = stat == null ? "(null element)" : stat.getName();
            if (stat != null && stat.isDirectory() && !name.equals(".") && !name.equals("..")) name += "\\";
            if (stat != null && !stat.isDirectory() && (name.equals(".") || name.equals(".."))) name += " (a file?)";
            names.add(name);
        }
        Collections.sort(names);
        return names;
    }

    /** A path on a local disk has no UNC name: the library is designed to answer with its exception. */
    private void unc() {
        final String path = Machine.systemRoot();
        final String check = "toUNC(\"" + path + "\"), a local path";
        final String expected = "null with KestrumException (a local path has no UNC name)";
        report.run(check, expected, () -> {
            try {
                String got = os.toUNC(path);
                report.fail(check, expected, Text.quoted(got));
            } catch (KestrumException e) {
                report.pass(check, expected, "null with KestrumException");
            }
        });
    }

    /**
     * The library counts a failed enumeration as no shares (Wine answers it with error 50, not
     * supported), so an empty list passes; every record must name its share.
     */
    private void shares() {
        final String check = "getShares";
        final String expected = "a list, possibly empty, each share with a name and a path";
        report.run(check, expected, () -> {
            ShareRecord[] got = os.getShares();
            if (got == null) {
                report.fail(check, expected, "null");
                return;
            }
            boolean whole = true;
            List<String> shown = new ArrayList<String>();
            for (ShareRecord share : got) {
                if (share == null || share.getName() == null || share.getName().isEmpty() || share.getPath() == null) {
                    whole = false;
                    shown.add(share == null ? "(null element)"
                                            : Text.quoted(share.getName()) + " -> " + Text.quoted(share.getPath()));
                } else {
                    shown.add(share.getName() + " -> " + Text.quoted(share.getPath()));
                }
            }
            String list = got.length + " shares" + (got.length == 0 ? " (none shared, or the system lists none)"
                                                                     : ": " + Text.joined(shown, ", "));
            report.check(whole, check, expected, list);
        });
    }

    private void agentController() {
        report.info("");
        report.info("--agent-controller: restarting the agent controller now. This stops the Windows service "
                    + "\"Varnex Quorel Agent Controller\", ends every QAServer.exe process and starts QAServer.exe "
                    + "again (from the service's folder, or from the folder that the registry value \"InstallHome\" "
                    + "names); each wait lasts at most 60 s.");
        final String check = "startQAC (agent-controller restart)";
        final String expected = "true: a QAServer.exe process runs afterwards";
        report.run(check, expected, () -> {
            boolean got = os.startQAC();
            report.check(got, check, expected,
                         got ? "true" : "false: the agent controller is not installed or its server did not start");
        });
    }
}
