#include "platform/session_services.h"

namespace {
ISessionServices* g_sessionServices = nullptr;
} // namespace

ISessionServices* SessionServices() {
    return g_sessionServices;
}

ISessionServices* SetSessionServices(ISessionServices* services) {
    ISessionServices* previous = g_sessionServices;
    g_sessionServices = services;
    return previous;
}
