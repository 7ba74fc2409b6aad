// Preloaded into the program: the Nth call of operator new (N from
// FAIL_NEW_CALL, counting from 1) fails as if memory had run out.
#include <cstdlib>
#include <new>

namespace
{
bool FailsNow()
{
    static long calls = 0;
    static const char* failing = getenv("FAIL_NEW_CALL");
    return failing && ++calls == atol(failing);
}
} // namespace

void* operator new(std::size_t size)
{
    void* p = FailsNow() ? nullptr : malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return FailsNow() ? nullptr : malloc(size ? size : 1);
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    free(p);
}
