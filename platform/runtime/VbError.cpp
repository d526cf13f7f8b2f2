#include "platform/runtime/VbError.h"

namespace vb {

QString errorDescription(long number)
{
    switch (number) {
        case ErrInvalidProcedureCall:
            return QStringLiteral("Invalid procedure call or argument");
        case ErrOverflow:
            return QStringLiteral("Overflow");
        case ErrSubscriptOutOfRange:
            return QStringLiteral("Subscript out of range");
        case ErrDivisionByZero:
            return QStringLiteral("Division by zero");
        case ErrTypeMismatch:
            return QStringLiteral("Type mismatch");
        case ErrOutOfStackSpace:
            return QStringLiteral("Out of stack space");
        case ErrFileNotFound:
            return QStringLiteral("File not found");
        case ErrFileAlreadyOpen:
            return QStringLiteral("File already open");
        case ErrInputPastEndOfFile:
            return QStringLiteral("Input past end of file");
        case ErrPermissionDenied:
            return QStringLiteral("Permission denied");
        case ErrPathFileAccess:
            return QStringLiteral("Path/File access error");
        case ErrPathNotFound:
            return QStringLiteral("Path not found");
        case ErrObjectVariableNotSet:
            return QStringLiteral("Object variable or With block variable not set");
        case ErrInvalidUseOfNull:
            return QStringLiteral("Invalid use of Null");
        case ErrResourceNotFound:
            return QStringLiteral("Resource not found");
        case ErrInvalidPropertyValue:
            return QStringLiteral("Invalid property value");
        case ErrObjectRequired:
            return QStringLiteral("Object required");
        case ErrPrinter:
            return QStringLiteral("Printer error");
        case ErrRegexSyntax:
            return QStringLiteral("Syntax error in regular expression");
        case ErrCancel:
            return QStringLiteral("Cancel was selected.");
        default:
            return QStringLiteral("Application-defined or object-defined error");
    }
}

VbError::VbError(long number, QString description, QString source)
    : m_number(number),
      m_description(std::move(description)),
      m_source(std::move(source)),
      m_what(QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8())
{
}

VbError VbError::fromNumber(long number, QString source)
{
    return VbError(number, errorDescription(number), std::move(source));
}

void raiseError(long number, QString source)
{
    throw VbError::fromNumber(number, std::move(source));
}

}  // namespace vb
