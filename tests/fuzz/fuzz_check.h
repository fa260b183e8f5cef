#pragma once
// A property every input must keep: a violation stops the fuzzer with the
// input kept as a finding.
#include <stdio.h>
#include <stdlib.h>

#define CHECK(x)                                                            \
    do {                                                                    \
        if (!(x)) {                                                         \
            fprintf(stderr, "%s:%d: %s failed\n", __FILE__, __LINE__, #x); \
            abort();                                                        \
        }                                                                   \
    } while (0)
