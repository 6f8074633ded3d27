package testapp;

/**
 * Leaves main with an exception thrown a few calls deep, with a cause: its stack
 * trace has several frames and a "Caused by:" part. The message is the first
 * argument, or "thrown deep".
 */
public final class ThrowNested {
    public static void main(String[] args) {
        outer(args.length > 0 ? args[0] : "thrown deep");
    }

    static void outer(String message) {
        inner(message);
    }

    static void inner(String message) {
        throw new IllegalStateException(message, new IllegalArgumentException("the cause"));
    }
}
