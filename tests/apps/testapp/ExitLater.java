package testapp;

/** Returns from main at once; a daemon thread calls System.exit(4) a little later. */
public final class ExitLater {
    public static void main(String[] args) {
        Thread exiter = new Thread(() -> {
            try {
                Thread.sleep(300);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
            System.exit(4);
        });
        exiter.setDaemon(true);
        exiter.start();
    }
}
