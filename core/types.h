// Fixed-width integer names used throughout the program.
#ifndef CORE_TYPES_H
#define CORE_TYPES_H

#include <stdint.h>

typedef int8_t int8;
typedef uint8_t uint8;
typedef int16_t int16;
typedef uint16_t uint16;
typedef int32_t int32;
typedef uint32_t uint32;

#endif
