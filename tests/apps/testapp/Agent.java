package testapp;

/** A Java agent that does nothing: enough for the VM to start with one. */
public final class Agent {
    public static void premain(String arguments) {}
}
