package com.varnex.quorel.mirravon.testmanagement.services.repository.core;

/** Operating-system services of the repository layer. */
public class OperatingSystemAPI {
    public native boolean isKestrumInstalled();
    public native String getKestrumPath();
    public native String getenv(String name);
    public native String getRegistryValueForNetInstall();
    public native String getRegistryValueForQFTNetAssemblyNameInstall();
}
