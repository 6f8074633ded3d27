package testapp;

import java.io.PrintStream;

/** Prints its arguments, one line each, the way the test JVM records them. */
public final class PrintArgs {
    public static void main(String[] args) {
        PrintStream out = Output.utf8();
        out.println("args.count=" + args.length);
        for (int i = 0; i < args.length; i++) {
            out.println("arg[" + i + "]=" + args[i]);
        }
    }
}
