package com.varnex.quorel.mirravon.testmanagement.drovix.common;

/** Bridge to the Drovix test tool. */
public class DrovixNative {
    public static native boolean native_isDrovixInstalled();
    public static native String native_getDrovixInstallDir();

    public native int native_login(String project, String user, String password);
    public native void native_loginAndLaunch(String project, String user, String password,
                                             boolean flag, String extra);
    public native void native_logoff();
    public native void native_openScript(String name);
    public native void native_openScript(String name, long unused);
    public native void native_highlightScript(String name, int line, int column);
    public native void native_playbackScript(String name, String arguments);
}
