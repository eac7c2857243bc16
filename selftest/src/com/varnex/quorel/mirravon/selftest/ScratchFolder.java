package com.varnex.quorel.mirravon.selftest;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;
import java.util.Random;

/**
 * A folder of the self-test's own below the temporary folder, for the listing: a plain file, one
 * whose name is not ASCII, and a chain of folders that ends in a path longer than MAX_PATH (260).
 * Paths are joined as text, never resolved again: Java VMs differ in how they resolve long ones.
 */
final class ScratchFolder {
    static final String PLAIN = "plain.txt";
    /** Latin, Cyrillic and CJK letters and a character beyond the BMP (a surrogate pair). */
    static final String NON_ASCII = "\u00e4\u00f6\u00fc \u0416\u0438\u0440 \u65e5\u672c \ud83d\ude00.txt";
    static final String DEEP = "deep";
    static final String LAST = "last.txt";
    /** The deepest folder's path is longer than this. */
    static final int LONGER_THAN = 300;

    final String root;
    final String deepest;
    private final List<String> created = new ArrayList<String>();

    private ScratchFolder(String root, String deepest) {
        this.root = root;
        this.deepest = deepest;
    }

    static ScratchFolder make() throws IOException {
        String temp = System.getProperty("java.io.tmpdir");
        if (temp == null || temp.isEmpty()) throw new IOException("the VM names no temporary folder (java.io.tmpdir)");
        if (!temp.endsWith("\\") && !temp.endsWith("/")) temp += "\\";
        String root = temp + "mirravon-selftest-" + Long.toString(new Random().nextLong() & Long.MAX_VALUE, 36);
        String segment = "folder-of-a-path-longer-than-max-path-0123456789";
        String deepest = root + "\\" + DEEP;
        while (deepest.length() <= LONGER_THAN) deepest += "\\" + segment;
        ScratchFolder scratch = new ScratchFolder(root, deepest);
        try {
            scratch.folder(root);
            scratch.file(root + "\\" + PLAIN);
            scratch.file(root + "\\" + NON_ASCII);
            String path = root;
            for (String part : deepest.substring(root.length() + 1).split("\\\\")) {
                path += "\\" + part;
                scratch.folder(path);
            }
            scratch.file(deepest + "\\" + LAST);
        } catch (IOException e) {
            scratch.remove();
            throw e;
        }
        return scratch;
    }

    /** Removes what it made, deepest first; the names of what could not be removed, or "". */
    String remove() {
        StringBuilder left = new StringBuilder();
        for (int i = created.size() - 1; i >= 0; i--) {
            if (!new File(created.get(i)).delete()) left.append(left.length() > 0 ? ", " : "").append(created.get(i));
        }
        created.clear();
        return left.toString();
    }

    private void folder(String path) throws IOException {
        if (!new File(path).mkdir()) throw new IOException("cannot make the folder " + path);
        created.add(path);
    }

    private void file(String path) throws IOException {
        new FileOutputStream(path).close();
        created.add(path);
    }
}
