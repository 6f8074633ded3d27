package com.example.hello;

import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.SwingConstants;
import javax.swing.SwingUtilities;

/**
 * The sample as a desktop application, for the windowed launcher: a window with a
 * greeting. Closing it ends the program, with the exit code given as the first
 * argument (0 without one), the way a desktop program hands back its result.
 */
public final class HelloWindow {
    public static void main(String[] args) {
        int exitCode = args.length > 0 ? Integer.parseInt(args[0]) : 0;
        SwingUtilities.invokeLater(() -> {
            JFrame frame = new JFrame("Hello Sample");
            frame.add(new JLabel(Greeting.of("world"), SwingConstants.CENTER));
            frame.setSize(360, 160);
            frame.setDefaultCloseOperation(JFrame.DO_NOTHING_ON_CLOSE);
            frame.addWindowListener(new WindowAdapter() {
                @Override
                public void windowClosing(WindowEvent event) {
                    System.exit(exitCode);
                }
            });
            frame.setLocationRelativeTo(null);
            frame.setVisible(true);
        });
    }
}
