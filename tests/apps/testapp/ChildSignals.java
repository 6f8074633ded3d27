package testapp;

import java.io.ByteArrayOutputStream;
import java.io.InputStream;

/**
 * Starts a program from main and from a thread of its own, and leaves the signal
 * masks each program began with ("SigBlk"/"SigIgn" of /proc) as marks.
 */
public final class ChildSignals {
    public static void main(String[] args) throws Exception {
        Marks.write("child-main", signalMasks());
        Thread thread = new Thread(() -> {
            try {
                Marks.write("child-thread", signalMasks());
            } catch (Exception e) {
                Marks.write("child-thread", e.toString());
            }
        });
        thread.start();
        thread.join();
    }

    private static String signalMasks() throws Exception {
        Process process =
                new ProcessBuilder("/bin/sh", "-c", "grep -E '^Sig(Blk|Ign)' /proc/self/status")
                        .redirectErrorStream(true)
                        .start();
        ByteArrayOutputStream output = new ByteArrayOutputStream();
        try (InputStream in = process.getInputStream()) {
            byte[] buffer = new byte[4096];
            for (int got; (got = in.read(buffer)) > 0;) {
                output.write(buffer, 0, got);
            }
        }
        process.waitFor();
        return output.toString("UTF-8");
    }
}
