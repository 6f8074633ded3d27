package testapp;

/** A single-instance application: forwarded starts reach the void secondaryMain. */
public final class Forward {
    static {
        Forwarding.holdWhileAsked(); // the class is initialised before main is called
    }

    public static void main(String[] args) throws InterruptedException {
        Forwarding.record("main=testapp/Forward");
        Forwarding.awaitStop();
        Forwarding.record("main.end=testapp/Forward");
    }

    public static void secondaryMain(String[] args) {
        Forwarding.received(args);
    }
}
