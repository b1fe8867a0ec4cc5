#include "platform/scale_memory.h"

namespace {
IScaleMemory* g_memory = nullptr;
}

IScaleMemory* ScaleMemory() {
    return g_memory;
}

IScaleMemory* SetScaleMemory(IScaleMemory* memory) {
    IScaleMemory* previous = g_memory;
    g_memory = memory;
    return previous;
}
