package testapp;

/** A class that can be loaded but has no main method. */
public final class NoMain {
    public static void run(String[] args) {}
}
