// The Basic runtime's error value: a number, its description and the component that raised it,
// with the runtime's own descriptions for the numbers the system raises itself.
#pragma once

#include <QString>
#include <exception>
#include <optional>

namespace vb {

// Error numbers the system's code tests for.
enum ErrorNumber : long {
    ErrInvalidProcedureCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscriptOutOfRange = 9,
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrOutOfStackSpace = 28,
    ErrFileNotFound = 53,
    ErrFileAlreadyOpen = 55,
    ErrInputPastEndOfFile = 62,
    ErrPermissionDenied = 70,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrObjectVariableNotSet = 91,
    ErrInvalidUseOfNull = 94,
    ErrResourceNotFound = 326,
    ErrInvalidPropertyValue = 380,
    ErrObjectRequired = 424,
    ErrPrinter = 482,
    ErrRegexSyntax = 5017,
    ErrCancel = 32755,
};

// The platform's base for errors raised by objects (vbObjectError).
constexpr long ObjectErrorBase = -2147221504;

// The runtime's description of an error number ("Overflow", "Type mismatch", ...);
// "Application-defined or object-defined error" for numbers it does not know.
QString errorDescription(long number);

class VbError : public std::exception {
public:
    VbError(long number, QString description, QString source = {});

    // An error with the runtime's own description of its number.
    static VbError fromNumber(long number, QString source = {});

    long number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const QString& source() const noexcept { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    long m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

// Raises (throws) the runtime error of that number with its standard description.
[[noreturn]] void raiseError(long number, QString source = {});

// Raises the error a member reported instead of throwing it itself, if there is one.
inline void raiseIfFailed(const std::optional<VbError>& error)
{
    if (error)
        throw *error;
}

}  // namespace vb
