// Opens a clicked link: a web address in the default browser, an e-mail address in the mail
// program, through the desktop shell. Only web, file-transfer and mail addresses are handed
// to the shell; any other scheme the address pattern admits (file:, UNC paths, notes:,
// ms-help:, telnet:, gopher:) could start local programs from document text and is refused.
#pragma once

#include <QString>

class LinkLauncher {
public:
    // The address as it will be opened: "www." addresses as http://; empty when it is refused.
    static QString launchableAddress(const QString& address);

    // Nothing happens for an empty or refused address. `MyErrorData` receives the error number
    // (decimal) when the launch raises an error, and is otherwise left as it was.
    static void GoToWebsite(const QString& MyWebSite, QString& MyErrorData);
    // Opens "mailto:" followed by the address.
    static void GoToEmailClient(const QString& MyEmail, QString& MyErrorData);

private:
    static void launch(const QString& target, QString& errorData);
};
