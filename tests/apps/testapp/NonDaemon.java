package testapp;

/** Returns from main while a non-daemon thread still has work to do. */
public final class NonDaemon {
    public static void main(String[] args) {
        Thread worker = new Thread(() -> {
            try {
                Thread.sleep(300);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
            Output.utf8().println("non-daemon thread finished");
        });
        worker.setDaemon(false);
        worker.start();
    }
}
