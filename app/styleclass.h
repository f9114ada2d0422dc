// Names shared by the screens' widgets for their look (QML type "Style" of module
// "MyQMLEnums" 13.37, used as Style.BOTON_SELECTED and the like).
#pragma once

#include <QObject>

class StyleClass : public QObject {
    Q_OBJECT
public:
    // The states a button or a value field is drawn in.
    enum WidgetStyle {
        BOTON_NORMAL,
        BOTON_SELECTED,
        BOTON_DISABLED,
        BOTON_WARNING,
    };
    Q_ENUM(WidgetStyle)

    explicit StyleClass(QObject* parent = nullptr) : QObject(parent) {}
};
