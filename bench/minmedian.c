/* Reads numbers, one a line, and prints their minimum and median as
 * "min median": bench/run.sh's samples summed up as the benchmark programs
 * sum up their own. Exits 1 on no number.
 * Usage: minmedian < samples */
#include "benchclock.h"

#include <stdio.h>

int main(void)
{
    double* v = NULL;
    int n = 0, size = 0;
    double x;
    while (scanf("%lf", &x) == 1)
    {
        if (n == size)
        {
            size = size ? 2 * size : 16;
            double* grown = realloc(v, (size_t)size * sizeof(double));
            if (!grown)
                return 1;
            v = grown;
        }
        v[n++] = x;
    }
    if (n == 0)
        return 1;
    double min, median;
    MinMedian(v, n, &min, &median);
    printf("%.15g %.15g\n", min, median);
    free(v);
    return 0;
}
