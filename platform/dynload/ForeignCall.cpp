#include "platform/dynload/ForeignCall.h"

#include <ffi.h>

#include <cstring>
#include <vector>

namespace dynload {

namespace {

static_assert(sizeof(std::intptr_t) == sizeof(std::int64_t), "arguments are 64-bit integers");

ffi_type* resultType(ResultKind kind)
{
    switch (kind) {
        case ResultKind::UInt8:
            return &ffi_type_uint8;
        case ResultKind::Int16:
            return &ffi_type_sint16;
        case ResultKind::Int32:
            return &ffi_type_sint32;
        case ResultKind::Int64:
            return &ffi_type_sint64;
        case ResultKind::Float:
            return &ffi_type_float;
        case ResultKind::Double:
            return &ffi_type_double;
        case ResultKind::None:
            break;
    }
    return &ffi_type_void;
}

}  // namespace

CallResult callAddress(void* function, ResultKind kind, std::span<const std::intptr_t> arguments)
{
    CallResult result;
    if (!function)
        return result;
    std::vector<ffi_type*> types(arguments.size(), &ffi_type_sint64);
    std::vector<std::intptr_t> values(arguments.begin(), arguments.end());
    std::vector<void*> pointers(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        pointers[i] = &values[i];
    ffi_cif cif;
    if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, unsigned(values.size()), resultType(kind),
                     types.data()) != FFI_OK)
        return result;
    // libffi widens integer results narrower than a register to ffi_arg.
    union {
        ffi_arg word;
        std::int64_t wide;
        float single;
        double dbl;
    } raw{};
    ffi_call(&cif, reinterpret_cast<void (*)()>(function), &raw, pointers.data());
    switch (kind) {
        case ResultKind::UInt8:
            result.integer = std::uint8_t(raw.word);
            break;
        case ResultKind::Int16:
            result.integer = std::int16_t(raw.word);
            break;
        case ResultKind::Int32:
            result.integer = std::int32_t(raw.word);
            break;
        case ResultKind::Int64:
            result.integer = raw.wide;
            break;
        case ResultKind::Float:
            result.floating = raw.single;
            break;
        case ResultKind::Double:
            result.floating = raw.dbl;
            break;
        case ResultKind::None:
            break;
    }
    return result;
}

struct Closure::Impl {
    ffi_closure* closure = nullptr;
    ffi_cif cif{};
    std::vector<ffi_type*> types;
    Handler handler;
    int argumentCount = 0;
};

Closure::Closure(std::unique_ptr<Impl> impl) : m_impl(std::move(impl))
{
}

Closure::~Closure()
{
    if (m_impl && m_impl->closure)
        ffi_closure_free(m_impl->closure);
}

void Closure::dispatch(void* /*cif*/, void* result, void** arguments, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    std::vector<std::intptr_t> values(std::size_t(impl->argumentCount));
    for (int i = 0; i < impl->argumentCount; ++i)
        std::memcpy(&values[std::size_t(i)], arguments[i], sizeof(std::intptr_t));
    const std::intptr_t answer = impl->handler ? impl->handler(values) : 0;
    std::memcpy(result, &answer, sizeof(answer));
}

std::unique_ptr<Closure> Closure::create(int argumentCount, Handler handler)
{
    if (argumentCount < 0)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->argumentCount = argumentCount;
    impl->handler = std::move(handler);
    impl->types.assign(std::size_t(argumentCount), &ffi_type_sint64);
    void* code = nullptr;
    impl->closure = static_cast<ffi_closure*>(ffi_closure_alloc(sizeof(ffi_closure), &code));
    if (!impl->closure)
        return nullptr;
    if (ffi_prep_cif(&impl->cif, FFI_DEFAULT_ABI, unsigned(argumentCount), &ffi_type_sint64,
                     impl->types.data()) != FFI_OK) {
        ffi_closure_free(impl->closure);
        return nullptr;
    }
    Impl* raw = impl.get();
    auto trampoline = [](ffi_cif* cif, void* result, void** arguments, void* self) {
        dispatch(cif, result, arguments, self);
    };
    if (ffi_prep_closure_loc(impl->closure, &raw->cif, trampoline, raw, code) != FFI_OK) {
        ffi_closure_free(impl->closure);
        return nullptr;
    }
    std::unique_ptr<Closure> closure(new Closure(std::move(impl)));
    closure->m_code = code;
    return closure;
}

}  // namespace dynload
