// The self-test runs its tests, or, started by one of them as a child process, one
// scenario that ends the process.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace testjvm::selftest {
int runScenario(const std::string& name);
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--scenario") {
        return testjvm::selftest::runScenario(argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
