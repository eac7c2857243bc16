package com.varnex.quorel.mirravon.testmanagement.drovix.common;

/** Server end of the named-pipe message channel; the handle lives in {@code hPipe}. */
public class NamedPipe {
    private long hPipe;

    public native void native_createNamedPipe(String name);
    public native int native_waitForConnection();
    public native byte[] native_readMessage();
    public native int native_close();
}
