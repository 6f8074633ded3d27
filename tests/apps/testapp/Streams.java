package testapp;

/** Writes one line through System.out and one through System.err, as applications do. */
public final class Streams {
    public static void main(String[] args) {
        System.out.println("to the output stream");
        System.err.println("to the error stream");
    }
}
