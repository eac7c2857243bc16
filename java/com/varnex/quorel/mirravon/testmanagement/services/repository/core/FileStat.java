package com.varnex.quorel.mirravon.testmanagement.services.repository.core;

/** One entry of a directory listing. */
public class FileStat {
    private final String name;
    private final boolean directory;

    public FileStat(String name, boolean directory) {
        this.name = name;
        this.directory = directory;
    }

    public String getName() { return name; }
    public boolean isDirectory() { return directory; }
}
