package testapp;

import java.util.concurrent.CountDownLatch;

/** Runs until stop() is called, leaving marks: its arguments, running, stop, main returned. */
public final class Service {
    private static final CountDownLatch stopped = new CountDownLatch(1);

    public static void main(String[] args) throws InterruptedException {
        Marks.write("args", String.join("\n", args));
        Marks.write("running", "");
        stopped.await();
        Marks.write("main-returned", "");
    }

    public static void stop() {
        Marks.write("stop", Thread.currentThread().getName());
        stopped.countDown();
    }
}
