// The link label of the outside link library: underlined text that raises Click when it is
// activated (mouse, Enter or Space) and opens web addresses through the desktop.
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

class XrLinkControl : public QWidget {
    Q_OBJECT

public:
    // Opens an address with the desktop's program for it; tests replace it so nothing opens.
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Installs an opener for the whole process and returns the one it replaces.
    static UrlOpener setUrlOpener(UrlOpener opener);

    explicit XrLinkControl(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);

    // The address opened after Click; empty when the host navigates from its Click handler.
    QString URL() const { return m_url; }
    void setURL(const QString& address) { m_url = address; }

    // Opens a web or mail address (http, https, ftp, mailto, or one starting "www."); any
    // other kind of address is refused. True when the desktop took it.
    bool Navigate(const QString& address);

    QSize sizeHint() const override;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void activate();

    QString m_caption;
    QString m_url;
    bool m_pressed = false;
};
