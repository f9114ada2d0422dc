// The unit's MENU and POWER keys on a PC's keyboard: F1 or Escape is MENU, F12 or Ctrl+P is
// POWER. Installed as an event filter on the instrument's window, it presses the simulated
// front panel's key line while the keyboard key is down, and at least for the hold time, so
// a quick tap is not lost between two polls of the key timer (100 ms).
#pragma once

#include "FrontPanel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>

namespace platform::sim {

class FrontPanelKeyboard : public QObject {
public:
    static constexpr int kDefaultHoldMs = 250;

    explicit FrontPanelKeyboard(SimulatedBoard& board, int holdMs = kDefaultHoldMs, QObject* parent = nullptr);

    // The front-panel key a keyboard key stands for, if any.
    static std::optional<FrontPanelKey> panelKey(int qtKey, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held {
        int qtKey = 0; // the keyboard key holding the line, 0 when released
        QElapsedTimer since;
        QTimer release;
    };
    Held& held(FrontPanelKey key) { return key == FrontPanelKey::Menu ? menu_ : power_; }
    void press(FrontPanelKey key, int qtKey);
    void letGo(FrontPanelKey key);

    SimulatedBoard& board_;
    int holdMs_;
    Held menu_;
    Held power_;
};

} // namespace platform::sim
