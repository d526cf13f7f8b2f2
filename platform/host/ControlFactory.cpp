#include "platform/host/ControlFactory.h"

#include <QHash>

namespace host {
namespace {

struct Registration {
    QString className;
    ControlCreator creator;
};

QHash<QString, Registration>& registry()
{
    static QHash<QString, Registration> classes;
    return classes;
}

}  // namespace

void registerControlClass(const QString& className, ControlCreator creator)
{
    registry().insert(className.toLower(), Registration{className, std::move(creator)});
}

QWidget* createControl(const QString& className, QWidget* parent)
{
    auto found = registry().constFind(className.toLower());
    if (found == registry().constEnd() || !found->creator)
        return nullptr;
    return found->creator(parent);
}

QStringList registeredControlClasses()
{
    QStringList names;
    for (const Registration& registration : registry())
        names.append(registration.className);
    names.sort(Qt::CaseInsensitive);
    return names;
}

}  // namespace host
