package bench;

/** The smallest application worth starting. */
public final class Hello {
    public static void main(String[] args) {
        System.out.println("Hello, world!");
    }
}
