// Screen captures (QML type ScreenShot 1.0, context property "shot"): a PNG of the window
// on show, saved as "./screenshots/<screen>/<screen>_<date>_<time>.png".
#pragma once

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QString>

class QQuickItem;

class ScreenShot : public QObject {
    Q_OBJECT
public:
    explicit ScreenShot(QObject* parent = nullptr);

    // The window captured when the caller names no item (start-up sets the main view).
    void setWindow(QQuickWindow* window) { window_ = window; }

    // Captures the window of the item (or the main view) and saves it for the screen.
    // Returns the file's path, or an empty text when nothing could be captured or saved.
    Q_INVOKABLE QString shootScreen(const QString& screen, QQuickItem* item = nullptr);

    // Saves an image as a capture of the screen taken at the given local time.
    QString saveImage(const QImage& image, const QString& screen, const QDateTime& when);

    // The screen id made safe as a folder and file name ("MAIN_MENU" stays as it is).
    static QString folderName(const QString& screen);
    static QString fileName(const QString& screen, const QDateTime& when);
    // Local date and time of the board's clock.
    static QDateTime now();

private:
    QPointer<QQuickWindow> window_;
};
