package com.varnex.quorel.mirravon.selftest;

import java.io.File;
import java.io.IOException;
import java.io.RandomAccessFile;

/**
 * What a Windows library's own bytes say: its architecture (the machine field of its COFF header)
 * and its file version (VS_FIXEDFILEINFO of its version resource). Read from the file, so a
 * library of the wrong architecture or one that does not load can still be named.
 */
final class PeFile {
    static final int MACHINE_I386 = 0x14c;
    static final int MACHINE_AMD64 = 0x8664;

    private static final int RT_VERSION = 16;
    private static final int FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD;
    /** The JNI libraries are well below this; a larger file is not one of them. */
    private static final long LARGEST = 64L << 20;

    final int machine;
    /** "a.b.c.d", or null when the file has no version resource. */
    final String fileVersion;

    private final byte[] image;
    private final int sections;
    private final int sectionCount;

    private PeFile(byte[] image) throws IOException {
        this.image = image;
        if (image.length < 64 || u16(0) != 0x5a4d) throw new IOException("not a Windows program or library (no MZ header)");
        int pe = u32(0x3c);
        if (u32(pe) != 0x00004550) throw new IOException("not a Windows program or library (no PE header)");
        int coff = pe + 4;
        machine = u16(coff);
        sectionCount = u16(coff + 2);
        int optional = coff + 20;
        sections = optional + u16(coff + 16);
        int magic = u16(optional);
        int directories;
        if (magic == 0x10b) {
            directories = optional + 96;
        } else if (magic == 0x20b) {
            directories = optional + 112;
        } else {
            throw new IOException("unknown optional header kind 0x" + Integer.toHexString(magic));
        }
        int directoryCount = u32(directories - 4);
        fileVersion = directoryCount > 2 ? versionFrom(u32(directories + 16)) : null;
    }

    static PeFile read(File file) throws IOException {
        RandomAccessFile in = new RandomAccessFile(file, "r");
        try {
            long length = in.length();
            if (length > LARGEST) throw new IOException("larger than any of the libraries (" + length + " bytes)");
            byte[] image = new byte[(int) length];
            in.readFully(image);
            return new PeFile(image);
        } finally {
            in.close();
        }
    }

    static String describe(int machine) {
        switch (machine) {
            case MACHINE_I386: return "32-bit (x86)";
            case MACHINE_AMD64: return "64-bit (x86-64)";
            default: return "machine type 0x" + Integer.toHexString(machine);
        }
    }

    /** The resource tree: type RT_VERSION, its first name, its first language. */
    private String versionFrom(int resourceRva) throws IOException {
        if (resourceRva == 0) return null;
        int root = offsetOf(resourceRva);
        int names = entryOfType(root, RT_VERSION);
        if (names == 0) return null;
        int languages = firstEntry(root + (names & 0x7fffffff));
        if ((languages & 0x80000000) == 0) throw new IOException("the version resource's directory is malformed");
        int data = firstEntry(root + (languages & 0x7fffffff));
        if ((data & 0x80000000) != 0) throw new IOException("the version resource's directory is malformed");
        return fixedFileVersion(offsetOf(u32(root + data)));
    }

    /** The entry of a type: a directory (its top bit set), or 0 when the file has no such resource. */
    private int entryOfType(int directory, int type) throws IOException {
        int named = u16(directory + 12);
        int ids = u16(directory + 14);
        for (int i = named; i < named + ids; i++) {
            int entry = directory + 16 + 8 * i;
            if (u32(entry) == type) {
                int target = u32(entry + 4);
                if ((target & 0x80000000) == 0) throw new IOException("the version resource is not a directory");
                return target;
            }
        }
        return 0;
    }

    private int firstEntry(int directory) throws IOException {
        if (u16(directory + 12) + u16(directory + 14) == 0) throw new IOException("an empty resource directory");
        return u32(directory + 16 + 4);
    }

    /** VS_VERSIONINFO: three WORDs, the key "VS_VERSION_INFO", padding to 32 bits, the fixed info. */
    private String fixedFileVersion(int info) throws IOException {
        String key = "VS_VERSION_INFO";
        for (int i = 0; i < key.length(); i++) {
            if (u16(info + 6 + 2 * i) != key.charAt(i)) throw new IOException("the version resource has no VS_VERSION_INFO");
        }
        int fixed = (info + 6 + 2 * (key.length() + 1) + 3) & ~3;
        if (u16(info + 2) < 52 || u32(fixed) != FIXED_FILE_INFO_SIGNATURE) {
            throw new IOException("the version resource has no fixed file information");
        }
        int high = u32(fixed + 8);
        int low = u32(fixed + 12);
        return (high >>> 16) + "." + (high & 0xffff) + "." + (low >>> 16) + "." + (low & 0xffff);
    }

    private int offsetOf(int rva) throws IOException {
        for (int i = 0; i < sectionCount; i++) {
            int header = sections + 40 * i;
            int virtualSize = u32(header + 8);
            int address = u32(header + 12);
            int rawSize = u32(header + 16);
            int raw = u32(header + 20);
            long within = (rva & 0xffffffffL) - (address & 0xffffffffL);
            if (within >= 0 && within < Math.max(virtualSize & 0xffffffffL, rawSize & 0xffffffffL)) {
                return (int) (raw + within);
            }
        }
        throw new IOException("address 0x" + Integer.toHexString(rva) + " lies in no section");
    }

    private int u16(int at) throws IOException {
        if (at < 0 || at + 2 > image.length) throw new IOException("cut short at byte " + at);
        return (image[at] & 0xff) | (image[at + 1] & 0xff) << 8;
    }

    private int u32(int at) throws IOException {
        return u16(at) | u16(at + 2) << 16;
    }
}
