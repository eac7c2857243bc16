package com.varnex.quorel.mirravon.selftest;

import java.io.BufferedReader;
import java.io.File;
import java.io.InputStreamReader;

/**
 * What a fault report needs about the machine, found without native code of its own and without
 * changing anything: the VM's and the OS's properties, the environment, a registry read by reg.exe.
 */
final class Machine {
    private Machine() {}

    static String javaVm() {
        String name = System.getProperty("java.vm.name");
        String version = System.getProperty("java.version");
        if (name == null && version == null) return "not named by the VM (java.vm.name and java.version are not set)";
        return Text.orNotSet(name) + " " + Text.orNotSet(System.getProperty("java.vm.version")) + " ("
            + Text.orNotSet(System.getProperty("java.vendor")) + "), Java " + Text.orNotSet(version) + ", in "
            + Text.orNotSet(System.getProperty("java.home"));
    }

    static String os() {
        return Text.orNotSet(System.getProperty("os.name")) + " " + Text.orNotSet(System.getProperty("os.version"));
    }

    static String systemRoot() {
        String root = System.getenv("SystemRoot");
        return root == null || root.isEmpty() ? "C:\\Windows" : root;
    }

    /**
     * Windows gives a process under WOW64 PROCESSOR_ARCHITEW6432 (the machine's own architecture)
     * and the folder alias Sysnative, which only such a process sees.
     */
    static String wow64(Libraries.Architecture vm) {
        if (vm.machine == PeFile.MACHINE_AMD64) return "no (a 64-bit process)";
        String native64 = System.getenv("PROCESSOR_ARCHITEW6432");
        boolean sysnative = new File(systemRoot(), "Sysnative").isDirectory();
        String seen = "PROCESSOR_ARCHITEW6432=" + Text.orNotSet(native64) + ", %SystemRoot%\\Sysnative "
                      + (sysnative ? "present" : "absent");
        if (native64 != null || sysnative) return "yes: a 32-bit process on a 64-bit Windows (" + seen + ")";
        return "no: a 32-bit Windows (" + seen + ")";
    }

    /**
     * The ANSI code page the libraries convert with is the system's (GetACP), which Windows keeps in
     * the registry value ACP; reg.exe reads it, and the VM's own sun.jnu.encoding is shown beside it.
     */
    static String ansiCodePage() {
        String vm = "the VM's sun.jnu.encoding: " + Text.orNotSet(System.getProperty("sun.jnu.encoding"));
        File reg = new File(new File(systemRoot(), "System32"), "reg.exe");
        String[] command = {reg.isFile() ? reg.getPath() : "reg.exe", "query",
                            "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "/v", "ACP"};
        try {
            Process process = Runtime.getRuntime().exec(command);
            process.getOutputStream().close();
            BufferedReader lines = new BufferedReader(new InputStreamReader(process.getInputStream()));
            String found = null;
            try {
                for (String line = lines.readLine(); line != null; line = lines.readLine()) {
                    String[] words = line.trim().split("\\s+");
                    if (words.length == 3 && words[0].equals("ACP") && words[1].equals("REG_SZ")) found = words[2];
                }
            } finally {
                lines.close();
            }
            int code = process.waitFor();
            if (found != null) return found + " (" + vm + ")";
            return "unknown: reg.exe gave no ACP value (exit code " + code + "; " + vm + ")";
        } catch (Exception e) {
            return "unknown: reg.exe could not be run: " + Text.thrown(e) + " (" + vm + ")";
        }
    }
}
