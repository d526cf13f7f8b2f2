// Link launching hands only web, file-transfer and mail addresses to the shell: the other
// schemes the address pattern marks could start local programs from document text.
#include "richtext/scanning/LinkLauncher.h"

#include "tests/support/FakeShell.h"

#include <gtest/gtest.h>

using testsupport::FakeShell;

TEST(LinkLauncher, OpensWebAndMailAddresses)
{
    FakeShell shell;
    QString error = QStringLiteral("before");
    LinkLauncher::GoToWebsite(QStringLiteral("http://example.com/a"), error);
    LinkLauncher::GoToWebsite(QStringLiteral("HTTPS://example.com"), error);
    LinkLauncher::GoToWebsite(QStringLiteral("ftp://files.example.com"), error);
    LinkLauncher::GoToWebsite(QStringLiteral("WWW.example.com"), error);
    LinkLauncher::GoToEmailClient(QStringLiteral("ann@example.com"), error);
    // No check for a prefix already there: it is doubled, as the shell then sees it.
    LinkLauncher::GoToEmailClient(QStringLiteral("mailto:bo@example.com"), error);
    EXPECT_EQ(shell.openedUrls(), (QStringList{QStringLiteral("http://example.com/a"),
                                               QStringLiteral("HTTPS://example.com"),
                                               QStringLiteral("ftp://files.example.com"),
                                               QStringLiteral("http://WWW.example.com"),
                                               QStringLiteral("mailto:ann@example.com"),
                                               QStringLiteral("mailto:mailto:bo@example.com")}));
    EXPECT_EQ(error, u"before");

    // A launch the desktop refuses is not reported.
    shell.failOpens();
    LinkLauncher::GoToWebsite(QStringLiteral("http://refused.example"), error);
    EXPECT_EQ(shell.openedUrls().size(), 7);
    EXPECT_EQ(error, u"before");
}

TEST(LinkLauncher, RefusesEverySchemeThatCouldStartALocalProgram)
{
    FakeShell shell;
    for (const char* address :
         {"file://c:/windows/system32/calc.exe", "file:\\\\host\\share\\run.exe",
          "\\\\host\\share\\tool.exe", "notes://server/db", "ms-help://topic", "telnet://host",
          "gopher://host", "javascript:alert(1)", "/usr/bin/xterm", "", "wwwx.example.com"}) {
        QString error = QStringLiteral("untouched");
        LinkLauncher::GoToWebsite(QString::fromLatin1(address), error);
        EXPECT_EQ(error, u"untouched") << address;
    }
    QString error;
    LinkLauncher::GoToEmailClient(QString(), error);
    EXPECT_TRUE(shell.openedUrls().isEmpty()) << shell.openedUrls().join(u' ').toStdString();
    EXPECT_TRUE(shell.opened().isEmpty());
    EXPECT_TRUE(shell.started().empty());
}
