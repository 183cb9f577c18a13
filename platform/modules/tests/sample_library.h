// Exports of the library that the module tests load at run time.
#pragma once

#define ZEL_SAMPLE_EXPORT __attribute__((visibility("default")))

extern "C" {
ZEL_SAMPLE_EXPORT int SampleAdd(int a, int b);
// Copies this library's own directory into `buffer`; returns its length, or -1
// when it does not fit.
ZEL_SAMPLE_EXPORT int SampleDirectory(char* buffer, int size);
// Calls into the C library, so that its functions are reachable through this
// library's dependencies without being this library's exports.
ZEL_SAMPLE_EXPORT int SampleFormat(char* buffer, int size, int value);
}
