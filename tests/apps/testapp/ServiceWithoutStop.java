package testapp;

/** Runs until the process ends: it has no stop(), so only System.exit ends it, as its shutdown hook marks. */
public final class ServiceWithoutStop {
    public static void main(String[] args) throws InterruptedException {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> Marks.write("shutdown", "")));
        Marks.write("running", "");
        Object never = new Object();
        synchronized (never) {
            for (;;) {
                never.wait();
            }
        }
    }
}
