package com.varnex.quorel.mirravon.testmanagement.services.repository.core;

/** One network share of this computer. */
public class ShareRecord {
    private final String path;
    private final String name;

    public ShareRecord(String path, String name) {
        this.path = path;
        this.name = name;
    }

    public String getPath() { return path; }
    public String getName() { return name; }
}
