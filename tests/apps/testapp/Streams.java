package testapp;

/**
 * Writes lines through System.out and System.err in turn, as applications do: one
 * pair, or as many as the first argument says.
 */
public final class Streams {
    public static void main(String[] args) {
        int pairs = args.length > 0 ? Integer.parseInt(args[0]) : 1;
        for (int i = 0; i < pairs; ++i) {
            System.out.println("to the output stream");
            System.err.println("to the error stream");
        }
    }
}
