#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "Installation.h"

namespace {

// Without --dist=, the installation folder is the build's dist folder: this executable lives in
// <build>\tests\e2e.
std::string DistBesideThisExecutable() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    for (int level = 0; level < 3; ++level) {
        std::string::size_type slash = folder.find_last_of('\\');
        if (slash == std::string::npos) return "";
        folder.erase(slash);
    }
    return folder + "\\dist";
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string dist = DistBesideThisExecutable();
    const char option[] = "--dist=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], option, sizeof option - 1) == 0) dist = argv[i] + sizeof option - 1;
    SetDistFolder(dist);
    std::printf("Installation folder under test: %s\n", DistFolder().c_str());
    return RUN_ALL_TESTS();
}
