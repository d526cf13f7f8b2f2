// C calls by address with arguments known only at run time, and C-callable function pointers
// that lead back into the program (what hand-written call stubs and thunks give the image
// library on its original platform). Built on libffi.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace dynload {

// How the called function's result is read.
enum class ResultKind { UInt8, Int16, Int32, Int64, Float, Double, None };

struct CallResult {
    std::int64_t integer = 0;  // the integer kinds, sign- or zero-extended as their type is
    double floating = 0;       // Float and Double
};

// Calls `function` with every argument passed as a pointer-sized integer. A callee declared
// with narrower integer or pointer parameters reads them from the same registers and stack
// slots, which is how the C ABI on this platform passes them.
CallResult callAddress(void* function, ResultKind kind, std::span<const std::intptr_t> arguments);

// A C function pointer taking `argumentCount` pointer-sized integers and returning one, which
// runs `handler`. The pointer is valid while the closure lives.
class Closure {
public:
    using Handler = std::function<std::intptr_t(std::span<const std::intptr_t>)>;

    // Null when the platform cannot make a closure or the count is negative.
    static std::unique_ptr<Closure> create(int argumentCount, Handler handler);
    ~Closure();
    Closure(const Closure&) = delete;
    Closure& operator=(const Closure&) = delete;

    void* address() const { return m_code; }

private:
    struct Impl;
    explicit Closure(std::unique_ptr<Impl> impl);
    static void dispatch(void* cif, void* result, void** arguments, void* self);

    std::unique_ptr<Impl> m_impl;
    void* m_code = nullptr;
};

}  // namespace dynload
