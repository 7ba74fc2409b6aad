#include "text/euckr.h"

namespace
{

const int32 kFirstCell = 0xA1 * 94 + 0xA1; // lead 0xA1, trail 0xA1: index 0

// Only the combined index is bounded, so an out-of-range trail byte reads a
// neighbouring row, and a lead byte below 0xA1 falls before the table except
// in 0xA0 0xFF, which reads entry 0.
uint16 DoubleByteUnit(int32 lead, int32 trail)
{
    const int32 index = lead * 94 + trail - kFirstCell;
    if (index < 0 || index >= ksc5601TableSize)
    {
        return 0;
    }
    const int32 code = ksc5601ToUnicode[index];
    return code == -1 ? 0 : static_cast<uint16>(code & 0xFFFF);
}

} // namespace

void EucKrToUcs2(const char* src, uint16* dst)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
    for (;;)
    {
        const int32 byte = *s;
        if (byte < 0x80)
        {
            *dst++ = static_cast<uint16>(byte);
            if (byte == 0)
            {
                return;
            }
            ++s;
        }
        else if (s[1] == 0)
        {
            // A lead byte with no trail byte yields nothing of its own.
            *dst = 0;
            return;
        }
        else
        {
            *dst++ = DoubleByteUnit(byte, s[1]);
            s += 2;
        }
    }
}
