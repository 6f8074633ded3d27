package testapp;

import java.util.Arrays;

/**
 * Writes 10 MB to System.out and as much to System.err, then records that it got
 * to its end: with nobody reading either stream, nothing may block or fail.
 */
public final class Flood {
    public static void main(String[] args) {
        char[] line = new char[1023];
        Arrays.fill(line, 'x');
        String text = new String(line);
        for (int i = 0; i < 10 * 1024; ++i) {
            System.out.println(text);
            System.err.println(text);
        }
        Forwarding.record("flood=done");
    }
}
