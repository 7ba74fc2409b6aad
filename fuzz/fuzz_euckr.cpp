// EUC-KR conversion of arbitrary bytes. Input and output live in heap blocks
// of exactly the allowed size, so AddressSanitizer reports any read past the
// terminator or any write past length + 1 units.
#include "text/euckr.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* end = static_cast<const uint8_t*>(memchr(data, 0, size));
    const size_t length = end ? static_cast<size_t>(end - data) : size;

    char* src = static_cast<char*>(malloc(length + 1));
    memcpy(src, data, length);
    src[length] = '\0';
    uint16* dst = static_cast<uint16*>(malloc((length + 1) * sizeof(uint16)));
    memset(dst, 0xAB, (length + 1) * sizeof(uint16));

    EucKrToUcs2(src, dst);

    // Terminated within the block.
    size_t units = 0;
    while (units <= length && dst[units] != 0)
        ++units;
    if (units > length)
        abort();

    free(dst);
    free(src);
    return 0;
}
