// Java's standard output and error sent to the files the INI file names.
#pragma once

namespace launcher {

class Launcher;

// Called once the VM exists, before the main class is looked up.
void redirectStandardStreams(Launcher& launcher);

} // namespace launcher
