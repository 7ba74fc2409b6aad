// Preloaded into the program: the Nth call of operator new made from the
// program's own code (N from FAIL_NEW_CALL, counting from 1) fails as if
// memory had run out. Calls from the libraries it loads, such as a GL driver
// that SDL brings in, are neither counted nor failed.
#include <cstdint>
#include <cstdlib>
#include <link.h>
#include <new>
#include <utility>

namespace
{
// The main program's code: the executable segment of the first object listed.
int ProgramCode(dl_phdr_info* info, size_t, void* data)
{
    auto* code = static_cast<std::pair<uintptr_t, uintptr_t>*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i)
        if (info->dlpi_phdr[i].p_type == PT_LOAD && (info->dlpi_phdr[i].p_flags & PF_X))
        {
            code->first = info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
            code->second = code->first + info->dlpi_phdr[i].p_memsz;
        }
    return 1;
}

bool FailsNow(void* caller)
{
    static long calls = 0;
    static const char* failing = getenv("FAIL_NEW_CALL");
    if (!failing)
        return false;
    static const auto code = []
    {
        std::pair<uintptr_t, uintptr_t> range(0, 0);
        dl_iterate_phdr(ProgramCode, &range);
        return range;
    }();
    const uintptr_t at = reinterpret_cast<uintptr_t>(caller);
    return at >= code.first && at < code.second && ++calls == atol(failing);
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
