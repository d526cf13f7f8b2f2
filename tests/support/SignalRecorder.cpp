#include "tests/support/SignalRecorder.h"

#include <QMetaType>

namespace testsupport {
namespace {

// The type of a signal parameter. A non-const reference (`int& KeyCode`) has no meta type of
// its own, so it is looked up by the name of the referred type.
QMetaType parameterType(const QMetaMethod& method, int parameter)
{
    QMetaType type = method.parameterMetaType(parameter);
    if (type.isValid())
        return type;
    QByteArray name = method.parameterTypeName(parameter);
    if (name.endsWith('&'))
        name.chop(1);
    return QMetaType::fromName(name);
}

}  // namespace

SignalRecorder::SignalRecorder(QObject* source, bool includeInherited) : m_source(source)
{
    const QMetaObject* meta = source->metaObject();
    const int first = includeInherited ? 0 : meta->methodOffset();
    for (int index = first; index < meta->methodCount(); ++index) {
        QMetaMethod method = meta->method(index);
        // A signal with default arguments also has a cloned entry per omitted argument; the
        // clones are emitted as the full signal, so connecting them would record twice.
        if (method.methodType() != QMetaMethod::Signal ||
            (method.attributes() & QMetaMethod::Cloned))
            continue;
        // Each recorded signal is connected to a slot id of our own beyond QObject's methods.
        const int slotId = static_cast<int>(m_signals.size());
        m_signals.push_back(method);
        QMetaObject::connect(source, index, this, QObject::staticMetaObject.methodCount() + slotId,
                             Qt::DirectConnection);
    }
}

QStringList SignalRecorder::names() const
{
    QStringList result;
    for (const Emission& emission : m_emissions)
        result.append(emission.name);
    return result;
}

int SignalRecorder::count(const QString& name) const
{
    int total = 0;
    for (const Emission& emission : m_emissions)
        total += emission.name == name ? 1 : 0;
    return total;
}

int SignalRecorder::qt_metacall(QMetaObject::Call call, int id, void** arguments)
{
    id = QObject::qt_metacall(call, id, arguments);
    if (id < 0 || call != QMetaObject::InvokeMetaMethod)
        return id;
    if (id < static_cast<int>(m_signals.size())) {
        const QMetaMethod& method = m_signals[static_cast<size_t>(id)];
        Emission emission{QString::fromLatin1(method.name()), {}};
        for (int parameter = 0; parameter < method.parameterCount(); ++parameter) {
            const QMetaType type = parameterType(method, parameter);
            // By-reference arguments are recorded by their value at the time of emission.
            emission.arguments.append(type.isValid() ? QVariant(type, arguments[parameter + 1])
                                                     : QVariant());
        }
        m_emissions.push_back(std::move(emission));
    }
    return -1;
}

}  // namespace testsupport
