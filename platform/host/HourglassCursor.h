// The hourglass mouse pointer for the length of a scope. Scopes nest: the hourglass stays
// until the outermost one ends, and the pointer is put back even when an exception passes.
#pragma once

namespace host {

class HourglassCursor {
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

    // Ends this scope's hold before the scope itself ends (for a pass that puts the pointer
    // back before raising its last events); a second call does nothing.
    void restore();

    // Whether any scope holds the hourglass now.
    static bool isShown();

private:
    bool m_holding = true;
};

}  // namespace host
