// The program's EUC-KR converter against the C library's iconv (EUC-KR to
// UCS-2 in the machine's byte order) on the same 64 KiB of Hangul text, made
// from the program's own table. The outputs must be equal before anything is
// timed. Prints ns per 64 KiB pass as "min median" for the converter, then
// for iconv, on one line, over alternating samples.
#include "bench/benchclock.h"
#include "text/euckr.h"

#include <iconv.h>
#include <stdio.h>
#include <string.h>

#include <vector>

namespace
{
const size_t TEXT_BYTES = 64 * 1024;
const int SAMPLES = 31;
const int PASSES = 20;

// Every Hangul syllable of KS X 1001 (lead bytes 0xB0..0xC8), over and over.
std::vector<char> HangulText()
{
    std::vector<char> text;
    while (text.size() < TEXT_BYTES)
        for (int lead = 0xB0; lead <= 0xC8 && text.size() < TEXT_BYTES; ++lead)
            for (int trail = 0xA1; trail <= 0xFE && text.size() < TEXT_BYTES; ++trail)
                if (ksc5601ToUnicode[(lead - 0xA1) * 94 + (trail - 0xA1)] >= 0)
                {
                    text.push_back(static_cast<char>(lead));
                    text.push_back(static_cast<char>(trail));
                }
    text.push_back('\0');
    return text;
}

size_t Iconv(iconv_t cd, std::vector<char>& text, std::vector<uint16>& out)
{
    char* in = text.data();
    size_t inLeft = TEXT_BYTES;
    char* to = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(uint16);
    iconv(cd, NULL, NULL, NULL, NULL);
    if (iconv(cd, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1))
        return 0;
    return (out.size() * sizeof(uint16) - outLeft) / sizeof(uint16);
}
} // namespace

int main()
{
    std::vector<char> text = HangulText();
    // The C library's UCS-2 is in the machine's byte order, as the converter's.
    iconv_t cd = iconv_open("UCS-2", "EUC-KR");
    if (cd == reinterpret_cast<iconv_t>(-1))
    {
        perror("euckr_bench: iconv_open");
        return 1;
    }

    std::vector<uint16> ours(TEXT_BYTES + 1), theirs(TEXT_BYTES + 1);
    EucKrToUcs2(text.data(), ours.data());
    const size_t units = Iconv(cd, text, theirs);
    if (units != TEXT_BYTES / 2 || ours[units] != 0 ||
        memcmp(ours.data(), theirs.data(), units * sizeof(uint16)) != 0)
    {
        fprintf(stderr, "euckr_bench: the outputs differ (iconv gave %zu units)\n", units);
        return 1;
    }

    double times[2][SAMPLES];
    for (int s = 0; s < SAMPLES; ++s)
    {
        double start = NowNs();
        for (int p = 0; p < PASSES; ++p)
            EucKrToUcs2(text.data(), ours.data());
        times[0][s] = (NowNs() - start) / PASSES;
        start = NowNs();
        for (int p = 0; p < PASSES; ++p)
            Iconv(cd, text, theirs);
        times[1][s] = (NowNs() - start) / PASSES;
    }
    iconv_close(cd);
    for (int c = 0; c < 2; ++c)
    {
        double min, median;
        MinMedian(times[c], SAMPLES, &min, &median);
        printf("%.0f %.0f%c", min, median, c ? '\n' : ' ');
    }
    return 0;
}
