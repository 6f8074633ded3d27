package testapp;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;

/** Files the service applications leave in the folder named by -Dtestapp.marks, each whole when it appears. */
final class Marks {
    private Marks() {}

    /** Waits until the test makes the mark `name`, at most `milliseconds`; nothing announces it. */
    static void waitFor(String name, long milliseconds) throws InterruptedException {
        String folder = System.getProperty("testapp.marks");
        long deadline = System.currentTimeMillis() + milliseconds;
        while (folder != null && !Files.exists(Paths.get(folder, name))
                && System.currentTimeMillis() < deadline) {
            Thread.sleep(10);
        }
    }

    static boolean exists(String name) {
        String folder = System.getProperty("testapp.marks");
        return folder != null && Files.exists(Paths.get(folder, name));
    }

    static void write(String name, String content) {
        String folder = System.getProperty("testapp.marks");
        if (folder == null) {
            return;
        }
        try {
            Path target = Paths.get(folder, name);
            Path partial = Paths.get(folder, name + ".partial");
            Files.write(partial, content.getBytes(StandardCharsets.UTF_8));
            Files.move(partial, target, StandardCopyOption.ATOMIC_MOVE);
        } catch (IOException e) {
            throw new IllegalStateException(e);
        }
    }
}
