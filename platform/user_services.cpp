#include "platform/user_services.h"

#include <cassert>
#include <cstdlib>

namespace {
IUserServices* g_services = nullptr;
}

IUserServices& Services() {
    assert(g_services && "no user services installed");
    if (!g_services)
        std::abort();
    return *g_services;
}

IUserServices* SetServices(IUserServices* services) {
    IUserServices* previous = g_services;
    g_services = services;
    return previous;
}

std::string ApplyDefaultExtension(const std::string& path, const std::string& defaultExt) {
    if (defaultExt.empty() || path.empty())
        return path;
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return path;
    return defaultExt.front() == '.' ? path + defaultExt : path + "." + defaultExt;
}
