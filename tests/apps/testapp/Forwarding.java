package testapp;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;

/**
 * What the single-instance test applications share: lines in the record the
 * test JVM writes (TESTJVM_RECORD), a main that waits for a forwarded "stop" or a
 * file, and an optional hold before main while a file is missing.
 */
final class Forwarding {
    private static final Object lock = new Object();
    private static boolean stopped;

    private Forwarding() {}

    /** One line, appended whole: several threads and processes share the file. */
    static synchronized void record(String line) {
        String file = System.getenv("TESTJVM_RECORD");
        if (file == null || file.isEmpty()) {
            return;
        }
        try (FileOutputStream out = new FileOutputStream(file, true)) {
            out.write((line + "\n").getBytes(StandardCharsets.UTF_8));
        } catch (IOException e) {
            throw new IllegalStateException(e);
        }
    }

    /** secondaryMain=[a] [b c] [], escaped as the test JVM escapes. */
    static void received(String[] args) {
        StringBuilder line = new StringBuilder("secondaryMain=");
        for (int i = 0; i < args.length; i++) {
            line.append(i == 0 ? "[" : " [").append(escape(args[i])).append(']');
        }
        record(line.toString());
        if (args.length > 0 && args[0].equals("stop")) {
            synchronized (lock) {
                stopped = true;
                lock.notifyAll();
            }
        }
    }

    /**
     * Until a forwarded "stop", the file -Dforward.stop names, or testjvm.wait.ms
     * (two minutes by default).
     */
    static void awaitStop() throws InterruptedException {
        long end = System.currentTimeMillis() + Long.getLong("testjvm.wait.ms", 120000L);
        String stopFile = System.getProperty("forward.stop");
        synchronized (lock) {
            while (!stopped && System.currentTimeMillis() < end
                    && (stopFile == null || !new File(stopFile).exists())) {
                lock.wait(10);
            }
        }
    }

    /** With -Dforward.hold=FILE: records "hold" and waits (at most a minute) for FILE. */
    static void holdWhileAsked() {
        String hold = System.getProperty("forward.hold");
        if (hold == null) {
            return;
        }
        record("hold");
        long end = System.currentTimeMillis() + 60000L;
        while (!new File(hold).exists() && System.currentTimeMillis() < end) {
            try {
                Thread.sleep(10);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
                return;
            }
        }
    }

    private static String escape(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c == '\\') {
                out.append("\\\\");
            } else if (c == '\n') {
                out.append("\\n");
            } else if (c == '\r') {
                out.append("\\r");
            } else if (c == '\t') {
                out.append("\\t");
            } else if (c < 0x20 || Character.isSurrogate(c)) {
                out.append(String.format("\\u%04x", (int) c));
            } else {
                out.append(c);
            }
        }
        return out.toString();
    }
}
