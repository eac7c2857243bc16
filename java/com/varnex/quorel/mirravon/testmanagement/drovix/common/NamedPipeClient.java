package com.varnex.quorel.mirravon.testmanagement.drovix.common;

/** Client end of the named-pipe message channel; the handle lives in {@code hPipeClientEnd}. */
public class NamedPipeClient {
    private long hPipeClientEnd;

    public native void native_createNamedPipeClient(String name);
    public native long native_writeMessage(byte[] data);
    public native int native_close();
}
