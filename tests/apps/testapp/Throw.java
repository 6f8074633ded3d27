package testapp;

/** Leaves main with an exception nobody catches. */
public final class Throw {
    public static void main(String[] args) {
        throw new IllegalStateException("thrown by main");
    }
}
