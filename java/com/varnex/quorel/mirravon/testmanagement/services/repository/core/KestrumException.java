package com.varnex.quorel.mirravon.testmanagement.services.repository.core;

/** Raised by the native OS services on every failure; its message is empty. */
public class KestrumException extends RuntimeException {
    public KestrumException(String message) {
        super(message);
    }
}
