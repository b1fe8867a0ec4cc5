// Placeholder until the render command lands; this file is removed then.
#include "cli/commands.h"

#include <cstdio>

int RunRender(int, char**) {
    std::fprintf(stderr, "tracevu-cli render: not available yet\n");
    return 2;
}
