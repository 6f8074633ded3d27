package testapp;

/**
 * A system class loader that holds the VM's creation until the test lets it go:
 * marks vm-starting, then waits (at most a minute) for the mark "go".
 */
public final class HeldLoader extends ClassLoader {
    public HeldLoader(ClassLoader parent) throws InterruptedException {
        super(parent);
        Marks.write("vm-starting", "");
        Marks.waitFor("go", 60_000);
    }
}
