package com.varnex.quorel.mirravon.testmanagement.drovix.common;

/** Raised by the native layer for every failure of the pipe channel and the test-tool bridge. */
public class DrovixIntegrationException extends RuntimeException {
    private final int code;
    private final String[] texts;

    public DrovixIntegrationException(int code, String[] texts) {
        super("code " + code);
        this.code = code;
        this.texts = texts;
    }

    public DrovixIntegrationException(String message) {
        super(message);
        this.code = 0;
        this.texts = new String[0];
    }

    public int getCode() { return code; }
    public String[] getTexts() { return texts; }
}
