// The toolbar button control of the outside button library: a flat button showing a picture
// or a caption, optionally a toggle whose Value the Click handler reads.
#pragma once

#include "platform/host/OleColor.h"

#include <QAbstractButton>
#include <QIcon>
#include <optional>

class XrUCbutton : public QAbstractButton {
    Q_OBJECT

public:
    explicit XrUCbutton(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption);

    QIcon Picture() const { return icon(); }
    void setPicture(const QIcon& picture);

    // A toggle button flips its Value on each click, before Click is raised, so the handler
    // reads the state the user asks for.
    bool Toggle() const { return isCheckable(); }
    void setToggle(bool toggle);

    // The toggle state; always False for a button that is not a toggle.
    bool Value() const { return isChecked(); }
    // Shows the button down or up without raising Click.
    void setValue(bool value) { setChecked(value); }

    bool Enabled() const { return isEnabled(); }

    // The face colour; until it is set the button is flat and shows its face only under the
    // mouse or when down.
    host::OLE_COLOR BackColor() const;
    void setBackColor(host::OLE_COLOR color);

    QString ToolTipText() const { return toolTip(); }
    void setToolTipText(const QString& text) { setToolTip(text); }

    QSize sizeHint() const override;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintFace(QPainter& painter) const;
    void paintContent(QPainter& painter) const;

    std::optional<host::OLE_COLOR> m_backColor;
};
