package com.example.hello;

import java.util.Arrays;

/** The sample application: greets, shows what it was started with, and exits. */
public final class HelloApp {
    public static void main(String[] args) {
        String who = args.length > 0 ? String.join(" ", args) : "world";
        System.out.println(Greeting.of(who));
        System.out.println("Arguments:   " + Arrays.toString(args));
        System.out.println("Java:        " + System.getProperty("java.vm.name") + " "
                + System.getProperty("java.version"));
        System.out.println("Java home:   " + System.getProperty("java.home"));
        System.out.println("Class path:  " + System.getProperty("java.class.path"));
        System.out.println("Title:       " + System.getProperty("sample.title"));
        System.out.println("Max heap:    " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MiB");
    }
}
