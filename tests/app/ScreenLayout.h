// What a user would find wrong in a window's current frame, seen from its items: text
// outside the screen, text cut short or running out of its box, and texts drawn over each
// other.
#pragma once

#include <QStringList>

class QQuickItem;
class QQuickView;

namespace apptest {

QStringList layoutFaults(QQuickItem* root);
// The faults of the screen the view shows as it opens, of its configuration menu, of each
// dialog of the menu and of the keyboard a dialog opens, reached by touch as a user would;
// each fault says where it was seen.
QStringList screenAndDialogFaults(QQuickView* view);

} // namespace apptest
