// Text-file access for the screens (context property "wr_file"). Device and system files
// ("/sys/", "/proc/", "/dev/", "/etc/": backlight, network state) go through the board;
// every other file is one of the working directory's and is written inside the root
// file system's read-write bracket, replacing the old file only once the new one is whole.
#pragma once

#include <QObject>
#include <QString>

class WrFile : public QObject {
    Q_OBJECT
public:
    explicit WrFile(QObject* parent = nullptr);

    // The whole text; empty when the file cannot be read.
    Q_INVOKABLE QString readFile(const QString& path) const;
    Q_INVOKABLE bool writeFile(const QString& path, const QString& text);
    Q_INVOKABLE bool fileExists(const QString& path) const;

    static bool isPlatformPath(const QString& path);
};
