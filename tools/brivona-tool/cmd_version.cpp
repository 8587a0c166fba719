// brivona-tool version: prints the program's version.
#include <cstdio>

const char* help_version() {
    return "version                      print the version of brivona-tool";
}

int cmd_version(int /*argc*/, char** /*argv*/) {
    std::printf("brivona-tool %s\n", BRIVONA_VERSION);
    return 0;
}
