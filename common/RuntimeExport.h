#pragma once
// Symbols of libvelta-runtime visible to the host, the plug-in and the server.
#if defined(VELTA_RUNTIME_BUILD)
#define VELTA_RUNTIME_EXPORT __attribute__((visibility("default")))
#else
#define VELTA_RUNTIME_EXPORT __attribute__((visibility("default")))
#endif
