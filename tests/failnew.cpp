// Preloaded into the program: the Nth call of operator new made from the
// program's own code (N from FAIL_NEW_CALL, counting from 1) fails as if
// memory had run out. Calls from the libraries it loads, such as a GL driver
// that SDL brings in, are neither counted nor failed.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <cstdint>
#include <cstdlib>
#include <link.h>
#include <new>

namespace
{
struct Range
{
    uintptr_t begin = 0, end = 0;
};

// The executable segment of the main program, the first object listed.
int FirstObject(dl_phdr_info* info, size_t, void* data)
{
    Range* code = static_cast<Range*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i)
    {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X))
        {
            code->begin = info->dlpi_addr + segment.p_vaddr;
            code->end = code->begin + segment.p_memsz;
        }
    }
    return 1;
}

bool FailsNow(void* caller)
{
    static long calls = 0;
    static const char* failing = getenv("FAIL_NEW_CALL");
    if (!failing)
        return false;
    static const Range code = []
    {
        Range r;
        dl_iterate_phdr(FirstObject, &r);
        return r;
    }();
    const uintptr_t at = reinterpret_cast<uintptr_t>(caller);
    return at >= code.begin && at < code.end && ++calls == atol(failing);
}
} // namespace

void* operator new(std::size_t size)
{
    void* p = FailsNow(__builtin_return_address(0)) ? nullptr : malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return FailsNow(__builtin_return_address(0)) ? nullptr : malloc(size ? size : 1);
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    free(p);
}
