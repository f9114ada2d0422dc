// The yardstick of the start-up benchmark: a bare Qt Quick application, built apart from
// every library of the project, that shows one 800x480 view of a small QML file and ends
// the process at its first frame.
#include <QGuiApplication>
#include <QQuickView>

#include <cstdlib>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QQuickView view;
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(800, 480);
    view.setSource(QUrl(QStringLiteral("qrc:///bench/minimal.qml")));
    QObject::connect(&view, &QQuickWindow::frameSwapped, [] { std::_Exit(0); });
    view.show();
    return app.exec();
}
