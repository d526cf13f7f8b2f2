// The common-controls status bar: a row of sunken text panels addressed by 1-based index.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

class StatusBar : public QWidget {
    Q_OBJECT

public:
    enum PanelAutoSize { sbrNoAutoSize = 0, sbrSpring = 1, sbrContents = 2 };

    // One panel; widths are in twips, as the hosting layer measures.
    class Panel {
    public:
        QString Text() const { return m_text; }
        void setText(const QString& text);
        bool Visible() const { return m_visible; }
        void setVisible(bool visible);
        // The width of a panel that does not size itself, and the least width of one that does.
        double Width() const { return m_width; }
        void setWidth(double twips);
        double MinWidth() const { return m_minWidth; }
        void setMinWidth(double twips);
        PanelAutoSize AutoSize() const { return m_autoSize; }
        void setAutoSize(PanelAutoSize autoSize);

    private:
        friend class StatusBar;
        explicit Panel(StatusBar* owner) : m_owner(owner) {}
        void changed();

        StatusBar* m_owner;
        QString m_text;
        bool m_visible = true;
        double m_width = 1440.0;
        double m_minWidth = 1440.0;
        PanelAutoSize m_autoSize = sbrNoAutoSize;
    };

    // Error number of an index outside the panels.
    static constexpr long IndexOutOfBounds = 35600;

    explicit StatusBar(int panelCount = 1, QWidget* parent = nullptr);
    ~StatusBar() override;

    // Panels(1) is the leftmost; any other index raises vb::VbError IndexOutOfBounds.
    Panel& Panels(int index);
    int PanelCount() const { return static_cast<int>(m_panels.size()); }

    bool Visible() const { return !isHidden(); }

    // Where panel `index` is drawn; empty for a hidden panel.
    QRect panelRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<int> panelWidths() const;
    int contentWidth(const Panel& panel) const;

    std::vector<std::unique_ptr<Panel>> m_panels;
};
