package com.varnex.quorel.mirravon.testmanagement.services.repository.core;

/** Windows-only operating-system services of the repository layer. */
public class WindowsOperatingSystemAPI extends OperatingSystemAPI {
    public native ShareRecord[] getShares();
    public native FileStat[] listFiles(String directory);
    public native String toUNC(String path);
    public native boolean startQAC();
}
