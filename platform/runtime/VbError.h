// The Basic runtime's error value: a number, its description and the component that raised it.
#pragma once

#include <QString>
#include <exception>

namespace vb {

// Error numbers the system's code tests for.
enum ErrorNumber : long {
    ErrInvalidProcedureCall = 5,
    ErrOverflow = 6,
    ErrSubscriptOutOfRange = 9,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrFileAlreadyOpen = 55,
    ErrPermissionDenied = 70,
    ErrPathNotFound = 76,
    ErrObjectRequired = 424,
    ErrPrinter = 482,
    ErrRegexSyntax = 5017,
    ErrCancel = 32755,
};

// The platform's base for errors raised by objects (vbObjectError).
constexpr long ObjectErrorBase = -2147221504;

class VbError : public std::exception {
public:
    VbError(long number, QString description, QString source = {});

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

}  // namespace vb
