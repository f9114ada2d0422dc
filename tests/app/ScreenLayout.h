// What a user would find wrong in a window's current frame, seen from its items: text
// outside the screen, text cut short or running out of its box, and texts drawn over each
// other.
#pragma once

#include <QStringList>

class QQuickItem;

namespace apptest {

QStringList layoutFaults(QQuickItem* root);

} // namespace apptest
