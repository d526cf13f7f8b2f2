#include "platform/richedit/view/EngineHandles.h"

#include "platform/richedit/view/Engine.h"

#include <QPointer>
#include <QVariant>
#include <unordered_map>

namespace richedit {

namespace {

// The handle is kept on the engine itself, so that a new engine created at a destroyed one's
// address never inherits its number.
constexpr char HandleProperty[] = "_richedit_handle";

// Spaced like window handles, far from small integers that a caller might pass by mistake.
constexpr intptr_t FirstHandle = 0x10004;
constexpr intptr_t HandleStep = 4;

struct Registry {
    std::unordered_map<intptr_t, QPointer<Engine>> engines;
    intptr_t next = FirstHandle;
};

// Engines live on the user-interface thread only; so does the registry. It is never destroyed:
// an engine that outlives static destruction still unregisters safely.
Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

}  // namespace

intptr_t handleOf(Engine& engine)
{
    const QVariant known = engine.property(HandleProperty);
    if (known.isValid())
        return known.value<qint64>();

    Registry& handles = registry();
    const intptr_t handle = handles.next;
    handles.next += HandleStep;
    handles.engines.emplace(handle, QPointer<Engine>(&engine));
    engine.setProperty(HandleProperty, QVariant::fromValue<qint64>(handle));
    // Drops the entry so that the registry does not grow with every engine ever made; the
    // guarded pointer already reads null by then.
    QObject::connect(&engine, &QObject::destroyed, [handle] { registry().engines.erase(handle); });
    return handle;
}

Engine* engineFromHandle(intptr_t handle)
{
    const Registry& handles = registry();
    const auto found = handles.engines.find(handle);
    return found == handles.engines.end() ? nullptr : found->second.data();
}

}  // namespace richedit
