// Records the signals an object emits, in order, with their arguments, so that tests can
// compare whole event sequences ("Begin", "Finish", "Ready").
#pragma once

#include <QMetaMethod>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace testsupport {

class SignalRecorder : public QObject {
public:
    struct Emission {
        QString name;
        QVariantList arguments;
    };

    // Records every signal that `source` declares (its own and its Qt ancestors' are skipped
    // unless `includeInherited`).
    explicit SignalRecorder(QObject* source, bool includeInherited = false);

    const std::vector<Emission>& emissions() const { return m_emissions; }
    QStringList names() const;
    int count(const QString& name) const;
    void clear() { m_emissions.clear(); }

    int qt_metacall(QMetaObject::Call call, int id, void** arguments) override;

private:
    QObject* m_source;
    std::vector<QMetaMethod> m_signals;
    std::vector<Emission> m_emissions;
};

}  // namespace testsupport
