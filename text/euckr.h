// EUC-KR (ASCII plus two-byte KS X 1001) to 16-bit Unicode, for the
// TrueType renderer.
#ifndef TEXT_EUCKR_H
#define TEXT_EUCKR_H

#include "core/types.h"

// KS X 1001:1987 rows 0xA1..0xFD by cells 0xA1..0xFE, row-major; -1 marks an
// empty cell. The conversion bounds-checks against the stored size. Generated
// by tools/gen_ksc5601_table.py into text/ksc5601table.cpp.
extern const int32 ksc5601TableSize;
extern const int32 ksc5601ToUnicode[];

// Converts the zero-terminated `src` into `dst`, always terminated with a 0
// unit. `dst` must hold strlen(src) + 1 units. Each byte pair converts on its
// own; unmapped or out-of-range pairs become 0. A lead byte directly before the
// terminator yields no unit of its own.
void EucKrToUcs2(const char* src, uint16* dst);

#endif
