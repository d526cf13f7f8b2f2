#include "image/codecs/cCDECL.h"

#include "platform/runtime/VbError.h"

#include <cerrno>

namespace XrImage {

namespace {

[[noreturn]] void raise(long number, const char* member, const char* description)
{
    throw vb::VbError(number, QString::fromLatin1(description),
                      QStringLiteral("cCallFunc2.") + QLatin1String(member));
}

dynload::ResultKind resultKindOf(std::int32_t returnType)
{
    switch (returnType) {
        case retByte:
            return dynload::ResultKind::UInt8;
        case retInteger:
            return dynload::ResultKind::Int16;
        case retLong:
            return dynload::ResultKind::Int32;
        case retInt64:
            return dynload::ResultKind::Int64;
        case retSingle:
            return dynload::ResultKind::Float;
        case retDouble:
            return dynload::ResultKind::Double;
        default:
            return dynload::ResultKind::None;
    }
}

}  // namespace

cCDECL::cCDECL() = default;

cCDECL::~cCDECL() = default;

QVariant cCDECL::CallFunc(const QString& strDLL, std::int32_t ReturnType,
                          const QString& strFunction, std::span<const std::intptr_t> ParamLongs)
{
    bool dllChanged = false;
    if (strDLL.compare(m_lastDll, Qt::CaseInsensitive) != 0 || !m_module.isLoaded()) {
        dynload::Library loaded = dynload::Library::open(strDLL);
        ++m_libraryLoads;
        if (!loaded.isLoaded())
            raise(ErrDllFailedLoad, "CallFunc", "DLL failed load");
        m_module = std::move(loaded);
        m_lastDll = strDLL;
        dllChanged = true;
    }
    if (dllChanged || strFunction != m_lastFunction || !m_target) {
        m_target = nullptr;
        m_lastFunction.clear();
        ++m_functionLookups;
        // Shared objects export by name only, so an ordinal is never found.
        void* address = strFunction.startsWith(QLatin1Char('#'))
                            ? nullptr
                            : m_module.symbol(strFunction.toLatin1());
        if (!address)
            raise(ErrFunctionNotFound, "CallFunc", "Function not found");
        m_target = address;
        m_lastFunction = strFunction;
    }
    if (ParamLongs.size() > std::size_t(MaxParameters))
        raise(ErrTooManyParameters, "CallFunc", "Too many parameters");
    return CallCommon(ReturnType, ParamLongs);
}

QVariant cCDECL::CallPointer(std::int32_t ReturnType, std::intptr_t fnAddress,
                             std::span<const std::intptr_t> ParamLongs)
{
    if (ParamLongs.size() > std::size_t(MaxParameters))
        raise(ErrPointerTooManyParameters, "CallPointer", "Too many parameters");
    m_lastFunction.clear();
    m_target = reinterpret_cast<void*>(fnAddress);
    return CallCommon(ReturnType, ParamLongs);
}

QVariant cCDECL::CallCommon(std::int32_t ReturnType, std::span<const std::intptr_t> block)
{
    if (ReturnType < retByte || ReturnType > retSub)
        raise(ErrUnknownReturnType, "CallCommon", "Unknown return type");
    errno = 0;
    const dynload::CallResult result =
        dynload::callAddress(m_target, resultKindOf(ReturnType), block);
    m_lastError = errno;
    switch (ReturnType) {
        case retByte:
            return QVariant::fromValue(std::uint8_t(result.integer));
        case retInteger:
            return QVariant::fromValue(std::int16_t(result.integer));
        case retLong:
            return QVariant::fromValue(std::int32_t(result.integer));
        case retInt64:
            return QVariant::fromValue(qint64(result.integer));
        case retSingle:
            return QVariant::fromValue(float(result.floating));
        case retDouble:
            return QVariant::fromValue(result.floating);
        default:
            return {};
    }
}

std::intptr_t cCDECL::CallbackCdecl(std::intptr_t nModFuncAddr, std::int32_t nParams,
                                    std::int32_t nIndex)
{
    if (nIndex < 1 || nIndex > ThunkCount || nParams < 0 || nParams > ThunkCount)
        raise(ErrCdeclInvalidParameter, "CallbackCdecl", "Invalid parameter");
    void* procedure = reinterpret_cast<void*>(nModFuncAddr);
    auto& slot = m_thunks[std::size_t(nIndex - 1)];
    slot = dynload::Closure::create(nParams, [procedure](std::span<const std::intptr_t> arguments) {
        return std::intptr_t(
            dynload::callAddress(procedure, dynload::ResultKind::Int64, arguments).integer);
    });
    return slot ? reinterpret_cast<std::intptr_t>(slot->address()) : 0;
}

std::intptr_t cCDECL::CallbackObj(eObjType /*objType*/, cCDECLCallbackTarget& objCallback,
                                  std::int32_t nParams, std::int32_t nOrdinal, bool /*bCDECL*/,
                                  std::int32_t nIndex)
{
    if (nIndex < 1 || nIndex > ThunkCount || nParams < 0 || nParams > ThunkCount)
        raise(ErrObjInvalidParameter, "CallbackObj", "Invalid parameter");
    const int methods = objCallback.callbackMethodCount();
    if (nOrdinal < 1 || nOrdinal > methods)
        raise(ErrOrdinalNotFound, "CallbackObj", "Ordinal not found");
    const int method = methods - nOrdinal;
    cCDECLCallbackTarget* target = &objCallback;
    auto& slot = m_thunks[std::size_t(nIndex - 1)];
    slot = dynload::Closure::create(nParams,
                                    [target, method](std::span<const std::intptr_t> arguments) {
                                        std::int32_t result = 0;
                                        target->callbackMethod(method, arguments, result);
                                        return std::intptr_t(result);
                                    });
    return slot ? reinterpret_cast<std::intptr_t>(slot->address()) : 0;
}

}  // namespace XrImage
