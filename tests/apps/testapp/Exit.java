package testapp;

/** Ends the process through System.exit with the code of -Dtestjvm.exit.code (3 by default). */
public final class Exit {
    public static void main(String[] args) {
        System.exit(Integer.getInteger("testjvm.exit.code", 3));
    }
}
