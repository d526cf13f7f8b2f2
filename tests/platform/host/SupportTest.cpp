// The shared test fixtures themselves: signal recorder, temporary folder, scoped services and
// the scripted message boxes.
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/ScopedService.h"
#include "tests/support/SignalRecorder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QWidget>
#include <memory>

using testsupport::SignalRecorder;

namespace {

class Emitter : public QObject {
    Q_OBJECT
signals:
    void KeyDown(int& KeyCode, int& Shift);
    void MouseUp(int Button, int Shift, float X, float Y);
    void Renamed(const QString& name);
    void Begin();
    void Progress(int value, bool done = false);
};

// A handler that swallows the key, as a host may.
void swallow(int& keyCode, int& shift)
{
    keyCode = 0;
    shift = 0;
}

}  // namespace

TEST(SignalRecorder, RecordsEmissionsInOrderWithValueAndReferenceArguments)
{
    Emitter emitter;
    SignalRecorder recorder(&emitter);
    int keyCode = 65;
    int shift = 2;

    emit emitter.Begin();
    emit emitter.KeyDown(keyCode, shift);
    emit emitter.MouseUp(1, 0, 150.0f, 37.5f);
    emit emitter.Renamed(QStringLiteral("doc"));
    emit emitter.Begin();
    emit emitter.Progress(50);

    EXPECT_EQ(recorder.names(),
              QStringList({"Begin", "KeyDown", "MouseUp", "Renamed", "Begin", "Progress"}));
    EXPECT_EQ(recorder.count(QStringLiteral("Begin")), 2);
    EXPECT_EQ(recorder.count(QStringLiteral("Finish")), 0);
    const auto& emissions = recorder.emissions();
    EXPECT_TRUE(emissions[0].arguments.isEmpty());
    EXPECT_EQ(emissions[1].arguments, QVariantList({65, 2}));
    EXPECT_EQ(emissions[2].arguments, QVariantList({1, 0, 150.0f, 37.5f}));
    EXPECT_EQ(emissions[3].arguments, QVariantList({QStringLiteral("doc")}));
    EXPECT_EQ(emissions[5].arguments, QVariantList({50, false}));

    recorder.clear();
    EXPECT_TRUE(recorder.emissions().empty());
}

TEST(SignalRecorder, ReferenceArgumentsKeepTheirValueAtEmissionAndHandlersStillChangeThem)
{
    Emitter emitter;
    SignalRecorder before(&emitter);
    QObject::connect(&emitter, &Emitter::KeyDown, &swallow);
    SignalRecorder after(&emitter);
    int keyCode = 13;
    int shift = 1;

    emit emitter.KeyDown(keyCode, shift);

    EXPECT_EQ(keyCode, 0);
    EXPECT_EQ(shift, 0);
    EXPECT_EQ(before.emissions().at(0).arguments, QVariantList({13, 1}));
    EXPECT_EQ(after.emissions().at(0).arguments, QVariantList({0, 0}));
}

TEST(SignalRecorder, InheritedSignalsOnlyWhenAskedFor)
{
    auto emitter = std::make_unique<Emitter>();
    SignalRecorder own(emitter.get());
    SignalRecorder all(emitter.get(), true);
    emitter->setObjectName(QStringLiteral("renamed"));
    emit emitter->Begin();
    emitter.reset();

    EXPECT_EQ(own.names(), QStringList({"Begin"}));
    EXPECT_EQ(all.names(), QStringList({"objectNameChanged", "Begin", "destroyed"}));
}

TEST(TempFolder, ExistsForTheTestAndGoesWithEverythingInIt)
{
    QString path;
    {
        testsupport::TempFolder folder;
        ASSERT_TRUE(folder.isValid());
        path = folder.path();
        EXPECT_TRUE(QDir(path).exists());
        EXPECT_EQ(folder.filePath(QStringLiteral("a.txt")), path + QStringLiteral("/a.txt"));
        ASSERT_TRUE(QDir(path).mkdir(QStringLiteral("sub")));
        QFile file(folder.filePath(QStringLiteral("sub/a.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        file.close();
        testsupport::TempFolder other;
        EXPECT_NE(other.path(), path);
    }
    EXPECT_FALSE(QDir(path).exists());
}

namespace {

class Service {
public:
    virtual ~Service() = default;
    virtual int value() = 0;
};

class Fixed : public Service {
public:
    explicit Fixed(int value) : m_value(value) {}
    int value() override { return m_value; }

private:
    int m_value;
};

host::ServiceSlot<Service>& slot()
{
    static host::ServiceSlot<Service> instance(
        []() -> std::unique_ptr<Service> { return std::make_unique<Fixed>(0); });
    return instance;
}

}  // namespace

TEST(ScopedService, NestedFakesPutBackWhatWasThereBefore)
{
    EXPECT_EQ(slot().get().value(), 0);
    Fixed first(1);
    Fixed second(2);
    {
        testsupport::ScopedService<Service> outer(slot(), first);
        EXPECT_EQ(slot().get().value(), 1);
        {
            testsupport::ScopedService<Service> inner(slot(), second);
            EXPECT_EQ(slot().get().value(), 2);
        }
        EXPECT_EQ(slot().get().value(), 1);
    }
    EXPECT_EQ(slot().get().value(), 0);
}

TEST(FakeMessageBoxes, RecordsEveryBoxAndAnswersFromItsQueue)
{
    testsupport::FakeMessageBoxes boxes;
    boxes.answer(host::vbNo);
    boxes.answer(host::vbCancel);

    QWidget owner;
    EXPECT_EQ(host::MsgBox(QStringLiteral("Save?"), host::vbYesNoCancel,
                           QStringLiteral("Wexmoor Scrivet"), &owner),
              host::vbNo);
    EXPECT_EQ(host::MsgBox(QStringLiteral("Again?"), host::vbYesNoCancel), host::vbCancel);
    // With the queue used up, each box gets its first button's answer.
    EXPECT_EQ(host::MsgBox(QStringLiteral("Done"), host::vbInformation), host::vbOK);
    EXPECT_EQ(host::MsgBox(QStringLiteral("Overwrite?"), host::vbYesNo | host::vbDefaultButton2),
              host::vbYes);
    EXPECT_EQ(host::MsgBox(QStringLiteral("Failed"), host::vbAbortRetryIgnore), host::vbAbort);
    EXPECT_EQ(host::MsgBox(QStringLiteral("Failed"), host::vbRetryCancel), host::vbRetry);
    EXPECT_EQ(host::MsgBox(QStringLiteral("Go?"), host::vbOKCancel), host::vbOK);

    ASSERT_EQ(boxes.shown().size(), 7u);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Save?"));
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Wexmoor Scrivet"));
    EXPECT_EQ(boxes.shown()[0].style, host::vbYesNoCancel);
    EXPECT_EQ(boxes.shown()[0].owner, &owner);
    EXPECT_TRUE(boxes.shown()[1].title.isEmpty());
    EXPECT_EQ(boxes.shown()[3].style, host::vbYesNo | host::vbDefaultButton2);
}

TEST(FakeMessageBoxes, NestedFakesAndTheRealServiceComeBackInTurn)
{
    host::MessageBoxService* real = &host::messageBoxService().get();
    {
        testsupport::FakeMessageBoxes outer;
        {
            testsupport::FakeMessageBoxes inner;
            host::MsgBox(QStringLiteral("to the inner one"));
            EXPECT_EQ(inner.shown().size(), 1u);
        }
        host::MsgBox(QStringLiteral("to the outer one"));
        EXPECT_EQ(outer.shown().size(), 1u);
    }
    EXPECT_EQ(&host::messageBoxService().get(), real);
}

#include "SupportTest.moc"
