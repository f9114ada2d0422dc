#include "FrontPanelKeyboard.h"

#include <QKeyEvent>

namespace platform::sim {

FrontPanelKeyboard::FrontPanelKeyboard(SimulatedBoard& board, int holdMs, QObject* parent)
    : QObject(parent), board_(board), holdMs_(holdMs)
{
    for (FrontPanelKey key : {FrontPanelKey::Menu, FrontPanelKey::Power}) {
        QTimer& release = held(key).release;
        release.setSingleShot(true);
        connect(&release, &QTimer::timeout, this, [this, key] { setKeyPressed(board_, key, false); });
    }
}

std::optional<FrontPanelKey> FrontPanelKeyboard::panelKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    switch (qtKey) {
    case Qt::Key_F1:
    case Qt::Key_Escape:
        return FrontPanelKey::Menu;
    case Qt::Key_F12:
        return FrontPanelKey::Power;
    case Qt::Key_P:
        if (modifiers & Qt::ControlModifier)
            return FrontPanelKey::Power;
        break;
    default:
        break;
    }
    return std::nullopt;
}

bool FrontPanelKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyPress) {
        const std::optional<FrontPanelKey> key = panelKey(keyEvent->key(), keyEvent->modifiers());
        if (!key)
            return QObject::eventFilter(watched, event);
        if (!keyEvent->isAutoRepeat())
            press(*key, keyEvent->key());
        return true;
    }
    // Ctrl may be let go before P: the release belongs to whichever key the press took.
    for (FrontPanelKey key : {FrontPanelKey::Menu, FrontPanelKey::Power}) {
        if (held(key).qtKey == keyEvent->key()) {
            if (!keyEvent->isAutoRepeat())
                letGo(key);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FrontPanelKeyboard::press(FrontPanelKey key, int qtKey)
{
    Held& h = held(key);
    h.release.stop();
    h.qtKey = qtKey;
    h.since.start();
    setKeyPressed(board_, key, true);
}

void FrontPanelKeyboard::letGo(FrontPanelKey key)
{
    Held& h = held(key);
    h.qtKey = 0;
    const qint64 left = holdMs_ - h.since.elapsed();
    if (left > 0)
        h.release.start(static_cast<int>(left));
    else
        setKeyPressed(board_, key, false);
}

} // namespace platform::sim
