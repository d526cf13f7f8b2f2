#include "platform/runtime/VbError.h"

namespace vb {

VbError::VbError(long number, QString description, QString source)
    : m_number(number),
      m_description(std::move(description)),
      m_source(std::move(source)),
      m_what(QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8())
{
}

}  // namespace vb
