#include "screenshot.h"

#include "services/rootfswrite.h"
#include "common/Clock.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>

ScreenShot::ScreenShot(QObject* parent) : QObject(parent) {}

QString ScreenShot::folderName(const QString& screen)
{
    // Screen ids are upper-case words joined by "_"; anything else could leave the folder.
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_-]"));
    QString name = screen;
    name.replace(unsafe, QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("UNKNOWN") : name;
}

QString ScreenShot::fileName(const QString& screen, const QDateTime& when)
{
    return folderName(screen) + "_" + when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + ".png";
}

QDateTime ScreenShot::now()
{
    return QDateTime::fromMSecsSinceEpoch(common::clock().wallTimeUs() / 1000, Qt::LocalTime);
}

QString ScreenShot::saveImage(const QImage& image, const QString& screen, const QDateTime& when)
{
    if (image.isNull()) {
        qDebug() << "ScreenShot: nothing to capture for" << screen;
        return QString();
    }
    const QString folder = QStringLiteral("screenshots/") + folderName(screen);
    QString path = folder + "/" + fileName(screen, when);
    // Two captures within one second keep both.
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = folder + "/" + QFileInfo(fileName(screen, when)).completeBaseName() + "_" + QString::number(n) + ".png";
    RootFsWrite bracket;
    if (!QDir().mkpath(folder) || !image.save(path, "PNG")) {
        qDebug() << "ScreenShot: failed to save" << path;
        return QString();
    }
    qDebug() << "ScreenShot:" << path;
    return path;
}

QString ScreenShot::shootScreen(const QString& screen, QQuickItem* item)
{
    QQuickWindow* window = item ? item->window() : window_.data();
    if (!window) {
        qDebug() << "ScreenShot: no window to capture for" << screen;
        return QString();
    }
    return saveImage(window->grabWindow(), screen, now());
}
