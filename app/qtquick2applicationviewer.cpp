#include "qtquick2applicationviewer.h"

#include <QQmlEngine>

QtQuick2ApplicationViewer::QtQuick2ApplicationViewer(QWindow* parent) : QQuickView(parent)
{
    setUp();
}

QtQuick2ApplicationViewer::QtQuick2ApplicationViewer(QQmlEngine* engine, QWindow* parent) : QQuickView(engine, parent)
{
    setUp();
}

void QtQuick2ApplicationViewer::setUp()
{
    setResizeMode(QQuickView::SizeRootObjectToView);
    resize(kWidth, kHeight);
    connect(engine(), &QQmlEngine::quit, this, &QWindow::close);
}

// QQuickView itself reports the file's errors as warnings.
void QtQuick2ApplicationViewer::setMainQmlFile(const QUrl& url) { setSource(url); }

void QtQuick2ApplicationViewer::setFrameless() { setFlags(flags() | Qt::FramelessWindowHint); }

void QtQuick2ApplicationViewer::showExpanded()
{
#ifdef VARNOK_BOARD_LINUX
    showFullScreen();
#else
    setMinimumSize(QSize(kWidth, kHeight));
    setMaximumSize(QSize(kWidth, kHeight));
    show();
#endif
}
