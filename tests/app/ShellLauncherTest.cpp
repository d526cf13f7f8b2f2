#include "app/ShellLauncher.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeShell.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QWidget>

namespace {

using testsupport::FakeMessageBoxes;
using testsupport::FakeShell;
using testsupport::TempFolder;

QString makeFile(const TempFolder& folder, const QString& name)
{
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("data");
    return file.fileName();
}

TEST(ShellLauncher, VerbIsPlayForMediaEndingsInAnyCase)
{
    for (const char* name : {"a.wav", "B.WAV", "song.Mp3", "x.mp2", "tune.MID", "clip.avi"})
        EXPECT_EQ(app::ShellVerbFor(name), "play") << name;
    for (const char* name : {"film.mpeg", "a.wave", "wav", ".wa", "", "doc.wmdf", "x.midi"})
        EXPECT_EQ(app::ShellVerbFor(name), "open") << name;
}

TEST(ShellLauncher, OpensExistingFilesAndFoldersWithTheirPrograms)
{
    TempFolder folder;
    FakeShell shell;
    FakeMessageBoxes boxes;
    const QString help = makeFile(folder, "Scrivet Help.chm");
    const QString sound = makeFile(folder, "click.WAV");
    app::OpenWithAssociatedProgram(help, nullptr);
    app::OpenWithAssociatedProgram(sound, nullptr);
    app::OpenWithAssociatedProgram(folder.path(), nullptr);
    EXPECT_EQ(shell.opened(), (QStringList{help, sound, folder.path()}));
    EXPECT_TRUE(shell.started().empty());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(ShellLauncher, MissingEmptyOrFailingOpensAreSilent)
{
    TempFolder folder;
    FakeShell shell;
    FakeMessageBoxes boxes;
    app::OpenWithAssociatedProgram(QString(), nullptr);
    app::OpenWithAssociatedProgram(folder.filePath("gone.chm"), nullptr);
    EXPECT_TRUE(shell.opened().isEmpty());
    EXPECT_TRUE(shell.associationQueries().isEmpty());

    shell.failOpens();
    app::OpenWithAssociatedProgram(makeFile(folder, "a.txt"), nullptr);
    EXPECT_EQ(shell.opened().size(), 1);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(ShellLauncher, UnassociatedTypeShowsUnknownFiletypeOwnedByTheCaller)
{
    TempFolder folder;
    FakeShell shell;
    FakeMessageBoxes boxes;
    shell.setNoProgramForSuffix("xyz");
    QWidget owner;
    app::OpenWithAssociatedProgram(makeFile(folder, "data file.XYZ"), &owner);
    EXPECT_TRUE(shell.opened().isEmpty());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Unknown Filetype.");
    EXPECT_EQ(boxes.shown()[0].style, host::vbOKOnly | host::vbInformation);
    EXPECT_EQ(boxes.shown()[0].title, "Wexmoor Scrivet");
    EXPECT_EQ(boxes.shown()[0].owner, &owner);
}

TEST(ShellLauncher, ProgramFilesAreStartedInTheProgramsFolder)
{
    FakeShell shell;
    FakeMessageBoxes boxes;
    // The test program itself stands for the editor's own executable (the New command).
    const QString program = QCoreApplication::applicationFilePath();
    app::OpenWithAssociatedProgram(program, nullptr);
    ASSERT_EQ(shell.started().size(), 1u);
    EXPECT_EQ(shell.started()[0].program, program);
    EXPECT_TRUE(shell.started()[0].arguments.isEmpty());
    EXPECT_EQ(shell.started()[0].workingFolder, QCoreApplication::applicationDirPath());
    EXPECT_TRUE(shell.opened().isEmpty());

    shell.failStarts();  // a program that cannot start is passed over in silence
    app::OpenWithAssociatedProgram(program, nullptr);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(ShellLauncher, PathExistsIsAnExactTest)
{
    TempFolder folder;
    const QString file = makeFile(folder, "report?.txt");
    EXPECT_TRUE(app::PathExists(file));
    EXPECT_TRUE(app::PathExists(folder.path()));
    EXPECT_FALSE(app::PathExists(folder.filePath("report*.txt")));
    EXPECT_FALSE(app::PathExists(folder.filePath("reportX.txt")));
    EXPECT_FALSE(app::PathExists(QString()));
}

}  // namespace
