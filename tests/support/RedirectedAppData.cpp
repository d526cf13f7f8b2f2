#include "tests/support/RedirectedAppData.h"

#include "platform/system/SpecialFolders.h"

namespace testsupport {

RedirectedAppData::RedirectedAppData()
    : m_previous(sys::setApplicationDataOverride(m_folder.path()))
{
}

RedirectedAppData::~RedirectedAppData()
{
    sys::setApplicationDataOverride(m_previous);
}

}  // namespace testsupport
