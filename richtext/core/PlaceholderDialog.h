// An empty modal dialog of the library that stands in for a dialog form not built yet, so the
// launchers already run their steps around a real modal show.
#pragma once

#include <QDialog>
#include <functional>

class PlaceholderDialog : public QDialog {
    Q_OBJECT
public:
    // Runs in place of the modal loop; it may close the dialog or throw as a failing dialog
    // would.
    using ShowHook = std::function<void(PlaceholderDialog&)>;

    PlaceholderDialog(const QString& caption, QWidget* owner);

    // Shows the dialog modally and returns when it has closed; with a hook set, runs the hook
    // instead of blocking.
    void showModal();

    // Installs the hook for every later show (for tests); an empty hook restores the modal loop.
    static void setShowHook(ShowHook hook);
};
