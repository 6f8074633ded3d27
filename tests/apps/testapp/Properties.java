package testapp;

import java.io.PrintStream;
import java.lang.management.ManagementFactory;

/** Prints the system properties named by its arguments, and the VM's input arguments. */
public final class Properties {
    public static void main(String[] args) {
        PrintStream out = Output.utf8();
        for (String name : args) {
            out.println("property." + name + "=" + System.getProperty(name));
        }
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            out.println("vm.option=" + option);
        }
    }
}
