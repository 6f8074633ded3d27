package com.example.hello;

/** Kept apart from the main class so that the class path holds more than one class. */
final class Greeting {
    private Greeting() {}

    static String of(String who) {
        return "Hello, " + who + "!";
    }
}
