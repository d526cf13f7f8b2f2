// What the main window reads from file names and from its command line.
#include "app/DocumentNames.h"

#include <gtest/gtest.h>

namespace {

TEST(DocumentNames, ExtensionIsTheTextAfterTheLastPointInLowerCase)
{
    EXPECT_EQ(app::GetExtension("/home/me/Letter.WMDF"), "wmdf");
    EXPECT_EQ(app::GetExtension("/home/me.d/notes"), "d/notes");
    EXPECT_EQ(app::GetExtension("/home/me/notes"), "");
    EXPECT_EQ(app::GetExtension("/home/me/notes."), "");
    EXPECT_EQ(app::GetExtension(QString("a.txt") + QChar(0) + "junk"), "txt");
}

TEST(DocumentNames, TypeFollowsTheExtensionAfterTheLastTilde)
{
    EXPECT_EQ(app::DocumentTypeFromPath("a.wmd"), 2);
    EXPECT_EQ(app::DocumentTypeFromPath("a.WmDf"), 2);
    EXPECT_EQ(app::DocumentTypeFromPath("a.txt"), 1);
    EXPECT_EQ(app::DocumentTypeFromPath("a.rtf"), 0);
    EXPECT_EQ(app::DocumentTypeFromPath("a.doc"), 0);
    EXPECT_EQ(app::DocumentTypeFromPath("a"), 0);
    // A short name: the type is read from the text after the last "~".
    const QString shortName = "/media/LETTER~1.WMD";
    EXPECT_EQ(app::TextAfterLastTilde(shortName), "1.WMD");
    EXPECT_EQ(app::DocumentTypeFromPath(app::TextAfterLastTilde(shortName)), 2);
    EXPECT_EQ(app::TextAfterLastTilde("no tilde.txt"), "no tilde.txt");
    EXPECT_EQ(app::TextAfterLastTilde("ends~"), "");
}

TEST(DocumentNames, ExtensionOfEachTypeAndNoneOutsideThem)
{
    EXPECT_EQ(app::extensionOfType(0), ".rtf");
    EXPECT_EQ(app::extensionOfType(1), ".txt");
    EXPECT_EQ(app::extensionOfType(2), ".wmdf");
    EXPECT_EQ(app::extensionOfType(3), "");
    EXPECT_EQ(app::extensionOfType(-1), "");
}

TEST(DocumentNames, DisplayNameDropsTheLastExtensionOnly)
{
    EXPECT_EQ(app::GetDisplayName("/home/me/My Letter.wmdf"), "My Letter");
    EXPECT_EQ(app::GetDisplayName("/home/me/archive.tar.gz"), "archive.tar");
    EXPECT_EQ(app::GetDisplayName("/home/me/README"), "README");
    EXPECT_EQ(app::GetDisplayName("/home/me/.profile"), "");
    EXPECT_EQ(app::GetDisplayName("Document"), "Document");
}

TEST(DocumentNames, CommandLineLosesOnePairOfSurroundingQuotes)
{
    EXPECT_EQ(app::documentPathFromCommandLine("\"/home/me/My Files/a.txt\""),
              "/home/me/My Files/a.txt");
    EXPECT_EQ(app::documentPathFromCommandLine("\"\"/a.txt\"\""), "\"/a.txt\"");
    EXPECT_EQ(app::documentPathFromCommandLine("/home/me/a.txt"), "/home/me/a.txt");
    // Only a quote at both ends is a pair.
    EXPECT_EQ(app::documentPathFromCommandLine("\"/home/me/a.txt"), "\"/home/me/a.txt");
    EXPECT_EQ(app::documentPathFromCommandLine("\""), "\"");
    EXPECT_EQ(app::documentPathFromCommandLine("\"\""), "");
}

}  // namespace
