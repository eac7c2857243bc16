package com.varnex.quorel.mirravon.selftest;

import java.io.File;
import java.io.IOException;

/**
 * Which of the release's library folders this Java VM can load, and the loading itself, with a
 * failure told in plain words: which file, which architecture, the system's own text.
 */
final class Libraries {
    static final String PIPE_LIBRARY = "tavrodvxjni.dll";
    static final String OS_LIBRARY = "tavroos.dll";

    /** This VM's architecture, from os.arch, checked against sun.arch.data.model where the VM sets it. */
    static final class Architecture {
        final int machine;
        final String folder;
        final String problem;

        private Architecture(int machine, String folder, String problem) {
            this.machine = machine;
            this.folder = folder;
            this.problem = problem;
        }

        String describe() {
            return machine == 0 ? "unknown" : PeFile.describe(machine);
        }
    }

    private Libraries() {}

    static Architecture architecture() {
        String arch = System.getProperty("os.arch");
        String model = System.getProperty("sun.arch.data.model");
        String seen = "os.arch=" + Text.orNotSet(arch) + ", sun.arch.data.model=" + Text.orNotSet(model);
        String name = arch == null ? "" : arch.toLowerCase();
        int machine;
        String folder;
        String bits;
        if (name.equals("x86") || name.matches("i[3-6]86")) {
            machine = PeFile.MACHINE_I386;
            folder = "win32-x86";
            bits = "32";
        } else if (name.equals("amd64") || name.equals("x86_64") || name.equals("x64")) {
            machine = PeFile.MACHINE_AMD64;
            folder = "win32-x86-64";
            bits = "64";
        } else {
            return new Architecture(0, null, "the release has libraries for x86 and x86-64 Java VMs only; this VM says "
                                                 + seen);
        }
        if (model != null && !model.equals(bits) && !model.equals("unknown")) {
            return new Architecture(0, null, "this VM contradicts itself about its architecture: " + seen);
        }
        return new Architecture(machine, folder, null);
    }

    /** One library of the chosen folder: found, read, loaded, or why not. */
    static final class Library {
        final String name;
        final File file;
        PeFile header;
        String problem;

        Library(File folder, String name) {
            this.name = name;
            this.file = new File(folder, name);
        }

        boolean loaded() {
            return problem == null;
        }
    }

    /**
     * Loads one library with System.load, after reading its header, so that a missing file or one
     * of the other architecture is named as such and not only by the VM's own words.
     */
    static Library load(File folder, String name, Architecture vm) {
        Library library = new Library(folder, name);
        String path = library.file.getPath();
        if (!library.file.isFile()) {
            library.problem = name + " is missing: there is no file " + path;
            return library;
        }
        try {
            library.header = PeFile.read(library.file);
        } catch (IOException e) {
            library.problem = path + " cannot be read as a Windows library: " + e.getMessage();
            return library;
        }
        String mismatch = null;
        if (library.header.machine != vm.machine) {
            mismatch = path + " is a " + PeFile.describe(library.header.machine) + " library, but this Java VM is "
                       + vm.describe() + " and loads only libraries of its own architecture (take the ones in "
                       + vm.folder + "\\ of the release)";
        }
        try {
            System.load(path);
        } catch (UnsatisfiedLinkError e) {
            String system = "the Java VM reports: " + Text.orNotSet(e.getMessage());
            library.problem = mismatch != null ? mismatch + "; " + system
                                               : path + " (" + PeFile.describe(library.header.machine)
                                                     + ") did not load; " + system;
            return library;
        }
        if (mismatch != null) library.problem = mismatch + "; the VM loaded it all the same";
        return library;
    }
}
