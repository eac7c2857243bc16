package com.varnex.quorel.mirravon.selftest;

import com.varnex.quorel.mirravon.testmanagement.drovix.common.NamedPipe;
import com.varnex.quorel.mirravon.testmanagement.drovix.common.NamedPipeClient;
import java.util.Random;

/**
 * The pipe channel within this process, both ways: a sender thread writes each message to an echo
 * thread over one pipe, the echo thread writes it back over a second pipe, and each side compares
 * what it read with what was sent. Reads and writes block until the other side acts, so both
 * sides are threads of their own, and this thread waits for them only so long.
 */
final class PipeChecks {
    /** Around the pipe's 128-byte buffers, empty, and one that grows the read buffer many times. */
    static final int[] SIZES = {0, 1, 127, 128, 129, 70000};
    private static final long DEADLINE_MS = 60000;

    private final Report report;
    private final String toEcho;
    private final String back;

    // Filled by the two threads; read after they have ended (or, after the deadline, as far as they got).
    private final long[] written = new long[SIZES.length];
    private final byte[][] echoed = new byte[SIZES.length][];
    private final byte[][] received = new byte[SIZES.length][];
    private final long[] rewritten = new long[SIZES.length];
    private final Side sender = new Side();
    private final Side echo = new Side();

    /** How far one thread got, and what stopped it. */
    private static final class Side {
        volatile String step = "not started";
        volatile Throwable error;
        volatile boolean connected;
        volatile int closeResults;
        volatile byte[] lastRead;
        volatile boolean done;
    }

    PipeChecks(Report report) {
        this.report = report;
        String unique = Long.toString(new Random().nextLong() & Long.MAX_VALUE, 36);
        toEcho = "\\\\.\\pipe\\mirravon-selftest-" + unique + "-to-echo";
        back = "\\\\.\\pipe\\mirravon-selftest-" + unique + "-back";
    }

    static byte[] message(int size) {
        byte[] bytes = new byte[size];
        for (int i = 0; i < size; i++) {
            bytes[i] = i % 5 == 0 || i == size - 1 ? 0 : (byte) (1 + (i * 37 + size) % 255);
        }
        return bytes;
    }

    void run() {
        final NamedPipe toEchoServer = new NamedPipe();
        final NamedPipe backServer = new NamedPipe();
        final String created = "both server ends made";
        try {
            toEchoServer.native_createNamedPipe(toEcho);
            backServer.native_createNamedPipe(back);
        } catch (Throwable t) {
            report.fail("pipe: making the server ends " + toEcho + " and " + back, created, Text.thrown(t));
            return;
        }
        Thread echoThread = start("mirravon-selftest-echo", () -> echo(toEchoServer));
        Thread senderThread = start("mirravon-selftest-sender", () -> send(backServer));
        long deadline = System.currentTimeMillis() + DEADLINE_MS;
        try {
            senderThread.join(DEADLINE_MS);
            echoThread.join(Math.max(1, deadline - System.currentTimeMillis()));
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
        boolean finished = sender.done && echo.done;
        boolean connected = finished && sender.connected && echo.connected;
        report.check(connected, "pipe: connecting, and both threads ending",
                     "each server end connected, both threads done within " + DEADLINE_MS / 1000 + " s",
                     "sender: " + state(sender) + "; echo thread: " + state(echo));
        for (int i = 0; i < SIZES.length; i++) {
            int size = SIZES[i];
            byte[] sent = message(size);
            String there = difference(sent, received[i]);
            String again = difference(sent, echoed[i]);
            boolean ok = written[i] == size && rewritten[i] == size && there == null && again == null;
            report.check(ok, "pipe: " + label(size), "written " + size + ", read there: the bytes sent; written "
                                                         + size + " back, read here: the bytes sent",
                         "written " + written[i] + ", read there: " + read(there) + "; written " + rewritten[i]
                             + " back, read here: " + read(again));
        }
        boolean closed = finished && length(sender.lastRead).equals("0 bytes") && length(echo.lastRead).equals("0 bytes")
                         && sender.closeResults == 2 && echo.closeResults == 2;
        report.check(closed, "pipe: closing",
                     "once the other end closed, a read gives 0 bytes, on both pipes; 4 of 4 closes non-zero",
                     "read after closing: " + length(echo.lastRead) + " and " + length(sender.lastRead) + "; "
                         + (sender.closeResults + echo.closeResults) + " of 4 closes non-zero");
    }

    private static String label(int size) {
        if (size == 0) return "an empty message";
        if (size == 1) return "a message of 1 byte, a zero byte";
        return "a message of " + size + " bytes, every fifth byte from the first and the last zero";
    }

    /** null when equal, else what differs. */
    private static String difference(byte[] sent, byte[] read) {
        if (read == null) return "nothing";
        if (read.length != sent.length) return read.length + " bytes instead of " + sent.length;
        for (int i = 0; i < sent.length; i++) {
            if (read[i] != sent[i]) {
                return "other bytes, the first at offset " + i + " (" + (read[i] & 0xff) + ", sent " + (sent[i] & 0xff) + ")";
            }
        }
        return null;
    }

    private static String read(String difference) {
        return difference == null ? "the bytes sent" : difference;
    }

    private static String length(byte[] read) {
        return read == null ? "nothing" : read.length + " bytes";
    }

    private static String state(Side side) {
        if (side.error != null) return "stopped at \"" + side.step + "\": " + Text.thrown(side.error);
        if (!side.done) return "still at \"" + side.step + "\" (a call did not return)";
        return side.connected ? "connected, done" : "done, but its server end reported no connection";
    }

    private static Thread start(String name, Runnable body) {
        Thread thread = new Thread(body, name);
        // A call that never returns must not keep the VM from ending.
        thread.setDaemon(true);
        thread.start();
        return thread;
    }

    /** Reads each message and writes it back; then the sender's close ends its reads. */
    private void echo(NamedPipe fromSender) {
        Side side = echo;
        try {
            side.step = "waiting for the sender to connect";
            side.connected = fromSender.native_waitForConnection() == 1;
            side.step = "connecting to " + back;
            NamedPipeClient toSender = new NamedPipeClient();
            toSender.native_createNamedPipeClient(back);
            for (int i = 0; i < SIZES.length; i++) {
                side.step = "reading message " + (i + 1);
                received[i] = fromSender.native_readMessage();
                side.step = "writing message " + (i + 1) + " back";
                rewritten[i] = toSender.native_writeMessage(received[i]);
            }
            side.step = "reading after the sender closed";
            side.lastRead = fromSender.native_readMessage();
            side.step = "closing";
            side.closeResults = (toSender.native_close() != 0 ? 1 : 0) + (fromSender.native_close() != 0 ? 1 : 0);
            side.done = true;
        } catch (Throwable t) {
            side.error = t;
        }
    }

    private void send(NamedPipe fromEcho) {
        Side side = sender;
        try {
            side.step = "connecting to " + toEcho;
            NamedPipeClient toEchoClient = new NamedPipeClient();
            toEchoClient.native_createNamedPipeClient(toEcho);
            side.step = "waiting for the echo thread to connect";
            side.connected = fromEcho.native_waitForConnection() == 1;
            for (int i = 0; i < SIZES.length; i++) {
                side.step = "writing message " + (i + 1);
                written[i] = toEchoClient.native_writeMessage(message(SIZES[i]));
                side.step = "reading message " + (i + 1) + " back";
                echoed[i] = fromEcho.native_readMessage();
            }
            side.step = "closing the way to the echo thread";
            int closes = toEchoClient.native_close() != 0 ? 1 : 0;
            side.step = "reading after the echo thread closed";
            side.lastRead = fromEcho.native_readMessage();
            side.closeResults = closes + (fromEcho.native_close() != 0 ? 1 : 0);
            side.done = true;
        } catch (Throwable t) {
            side.error = t;
        }
    }
}
