#include <cstdio>

int main() {
    std::fprintf(stderr, "usage: tracevu-cli COMMAND ...\n");
    return 2;
}
