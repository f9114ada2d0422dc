// The window a QML file is shown in: the splash and the main view. 800 x 480; full
// screen and frameless on the unit, a plain window of that size on a PC.
#pragma once

#include <QQuickView>
#include <QUrl>

class QtQuick2ApplicationViewer : public QQuickView {
    Q_OBJECT
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 480;

    explicit QtQuick2ApplicationViewer(QWindow* parent = nullptr);
    // A view on an engine it shares with other views (not owned): the QML modules, the
    // context properties and the translator are set up once for all of them.
    explicit QtQuick2ApplicationViewer(QQmlEngine* engine, QWindow* parent = nullptr);

    void setMainQmlFile(const QUrl& url);
    void setFrameless();
    void showExpanded();

private:
    void setUp();
};
