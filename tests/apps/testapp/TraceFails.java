package testapp;

import java.io.PrintStream;

/**
 * An exception whose printStackTrace(PrintStream) writes one line and then throws
 * itself: what a capture of the text does when the capture raises an exception.
 */
public final class TraceFails extends RuntimeException {
    private static final long serialVersionUID = 1L;

    public TraceFails() {
        super("trace fails");
    }

    @Override
    public void printStackTrace(PrintStream out) {
        out.println("the first line only");
        throw new UnsupportedOperationException("printStackTrace failed");
    }

    /** Leaves main with a TraceFails. */
    public static void main(String[] args) {
        throw new TraceFails();
    }
}
