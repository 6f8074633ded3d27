package testapp;

/**
 * Returns from main at once. A daemon thread calls System.exit(4) once the test makes the
 * mark "exit", unless the launcher has detached main's thread by then: the VM's destruction
 * then goes on without it.
 */
public final class ExitLater {
    public static void main(String[] args) {
        Thread main = Thread.currentThread();
        Thread exiter = new Thread(() -> {
            try {
                while (main.isAlive() && !Marks.exists("exit")) {
                    main.join(10);
                }
            } catch (InterruptedException e) {
                return;
            }
            if (main.isAlive()) {
                System.exit(4);
            }
        });
        exiter.setDaemon(true);
        exiter.start();
        Marks.write("main-returning", "");
    }
}
