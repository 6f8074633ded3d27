package testapp;

/**
 * A single-instance application whose secondaryMain answers with the argument
 * count; "exit N" ends the primary with N before it answers.
 */
public final class ForwardInt {
    public static void main(String[] args) throws InterruptedException {
        Forwarding.record("main=testapp/ForwardInt");
        Forwarding.awaitStop();
        Forwarding.record("main.end=testapp/ForwardInt");
    }

    public static int secondaryMain(String[] args) {
        Forwarding.received(args);
        if (args.length == 2 && args[0].equals("exit")) {
            System.exit(Integer.parseInt(args[1]));
        }
        return args.length;
    }
}
