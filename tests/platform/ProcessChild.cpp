// The program the process tests start: prints the name the system gives it and each argument it got, one
// a line between brackets, a line on standard error, and exits with the code its first argument names.
#include <cstdio>
#include <cstdlib>

#include "platform/system.h"

int main(int argc, char** argv) {
    char name[260];
    std::printf("name [%s]\n", krvx::platform::HostExecutableName(name, sizeof(name)) ? name : "");
    for (int i = 1; i < argc; ++i) std::printf("argument [%s]\n", argv[i]);
    std::fflush(stdout);
    std::fprintf(stderr, "standard error\n");
    return argc > 1 ? std::atoi(argv[1]) : 0;
}
