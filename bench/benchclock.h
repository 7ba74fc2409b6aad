/* Wall clock and the min/median summary shared by the benchmark programs. */
#ifndef BENCH_BENCHCLOCK_H
#define BENCH_BENCHCLOCK_H

#include <stdlib.h>
#include <time.h>

static inline double NowNs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

static inline int CompareDoubles(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

/* Sorts `v` and gives its minimum and median. */
static inline void MinMedian(double* v, int n, double* min, double* median)
{
    qsort(v, (size_t)n, sizeof(double), CompareDoubles);
    *min = v[0];
    *median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

#endif
