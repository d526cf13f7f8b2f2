#include "richtext/core/PlaceholderDialog.h"

#include <utility>

namespace {

PlaceholderDialog::ShowHook& showHook()
{
    static PlaceholderDialog::ShowHook hook;
    return hook;
}

}  // namespace

PlaceholderDialog::PlaceholderDialog(const QString& caption, QWidget* owner) : QDialog(owner)
{
    setWindowTitle(caption);
    setModal(true);
}

void PlaceholderDialog::showModal()
{
    if (showHook()) {
        // A copy, so that a hook replacing itself cannot destroy the running function.
        const ShowHook hook = showHook();
        hook(*this);
        return;
    }
    exec();
}

void PlaceholderDialog::setShowHook(ShowHook hook)
{
    showHook() = std::move(hook);
}
