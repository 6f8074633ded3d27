// launcher-pack's entry point on Linux.
#include "pack/application_folder.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    return launcher::pack::packMain(std::vector<std::string>(argv + 1, argv + argc),
                                    launcher::pack::runningToolFolder());
}
