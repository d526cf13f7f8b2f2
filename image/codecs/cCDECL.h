// Calls exported C functions of libraries named at run time (by their Windows names, mapped by
// platform/dynload) or bare function addresses, with up to 16 pointer-sized integer arguments
// and a typed result; and hands out C-callable function pointers that lead back into a
// procedure or into a method of an object. Errors are raised as vb::VbError with the numbers,
// sources and descriptions callers test for.
#pragma once

#include "platform/dynload/DynamicLibrary.h"
#include "platform/dynload/ForeignCall.h"

#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace XrImage {

enum eReturnType : std::int32_t {
    retByte = 0,
    retInteger = 1,
    retLong = 2,
    retInt64 = 3,
    retSingle = 4,
    retDouble = 5,
    retSub = 6,
};

// Where an object's own methods start in its method table; kept for callers' sake, the
// method itself is found through cCDECLCallbackTarget.
enum eObjType : std::int32_t {
    objCls = 28,
    objFrm = 1784,
    objCtl = 1956,
};

// An object whose methods a callback pointer can call: methods are numbered 0 to
// callbackMethodCount() - 1, and ordinal 1 names the last of them.
class cCDECLCallbackTarget {
public:
    virtual ~cCDECLCallbackTarget() = default;
    virtual int callbackMethodCount() const = 0;
    // Runs method `index` with the caller's arguments; `result` is what the caller gets back.
    virtual void callbackMethod(int index, std::span<const std::intptr_t> arguments,
                                std::int32_t& result) = 0;
};

class cCDECL {
public:
    // Error numbers, counted from the object-error base.
    static constexpr long ErrDllFailedLoad = -2147221504;
    static constexpr long ErrFunctionNotFound = -2147221503;
    static constexpr long ErrTooManyParameters = -2147221502;
    static constexpr long ErrPointerTooManyParameters = -2147221501;
    static constexpr long ErrUnknownReturnType = -2147221500;
    static constexpr long ErrCdeclInvalidParameter = -2147221499;
    static constexpr long ErrObjInvalidParameter = -2147221498;
    static constexpr long ErrOrdinalNotFound = -2147221497;
    static constexpr int MaxParameters = 16;
    static constexpr int ThunkCount = 60;

    cCDECL();
    ~cCDECL();
    cCDECL(const cCDECL&) = delete;
    cCDECL& operator=(const cCDECL&) = delete;

    // The convention switch. On this platform every C call passes its first arguments in
    // registers already, so the switch is kept and reported but changes no call.
    bool FastCall() const { return m_fastCall; }
    void LetFastCall(bool value) { m_fastCall = value; }
    // errno as the last call through CallFunc or CallPointer left it (cleared before the call).
    std::int32_t LastError() const { return m_lastError; }

    // Loads strDLL unless it is the library of the last call (letter case ignored), looks up
    // strFunction unless it is the function of the last call ("#n" asks for an ordinal, which
    // shared objects do not have), and calls it with ParamLongs.
    QVariant CallFunc(const QString& strDLL, std::int32_t ReturnType, const QString& strFunction,
                      std::span<const std::intptr_t> ParamLongs);
    QVariant CallPointer(std::int32_t ReturnType, std::intptr_t fnAddress,
                         std::span<const std::intptr_t> ParamLongs);
    // Pointer k (nIndex 1..60) that calls the procedure with nParams arguments and returns its
    // result; writing the same index again replaces the earlier pointer.
    std::intptr_t CallbackCdecl(std::intptr_t nModFuncAddr, std::int32_t nParams,
                                std::int32_t nIndex = 1);
    // Pointer k that calls the object's method nOrdinal places from its last (1 = the last).
    std::intptr_t CallbackObj(eObjType objType, cCDECLCallbackTarget& objCallback,
                              std::int32_t nParams, std::int32_t nOrdinal = 1, bool bCDECL = false,
                              std::int32_t nIndex = 1);

    // --- state that is not part of the interface ----------------------------------------
    // How often a library was loaded and a function looked up: the caching is observable.
    int libraryLoads() const { return m_libraryLoads; }
    int functionLookups() const { return m_functionLookups; }

private:
    QVariant CallCommon(std::int32_t ReturnType, std::span<const std::intptr_t> block);

    bool m_fastCall = false;
    std::int32_t m_lastError = 0;
    dynload::Library m_module;
    QString m_lastDll;
    QString m_lastFunction;
    void* m_target = nullptr;
    std::array<std::unique_ptr<dynload::Closure>, ThunkCount> m_thunks;
    int m_libraryLoads = 0;
    int m_functionLookups = 0;
};

}  // namespace XrImage
