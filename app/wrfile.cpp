#include "wrfile.h"

#include "services/rootfswrite.h"
#include "platform/Platform.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

WrFile::WrFile(QObject* parent) : QObject(parent) {}

bool WrFile::isPlatformPath(const QString& path)
{
    for (const char* root : {"/sys/", "/proc/", "/dev/", "/etc/"})
        if (path.startsWith(QLatin1String(root)))
            return true;
    return false;
}

QString WrFile::readFile(const QString& path) const
{
    if (isPlatformPath(path)) {
        std::string text;
        if (platform::board().readFile(path.toStdString(), &text) != 0)
            return QString();
        return QString::fromStdString(text);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "Failed to open file" << path;
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

bool WrFile::writeFile(const QString& path, const QString& text)
{
    if (isPlatformPath(path))
        return platform::board().writeFile(path.toStdString(), text.toStdString()) == 0;
    RootFsWrite bracket;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        qDebug() << "Failed to write file" << path;
        return false;
    }
    return true;
}

bool WrFile::fileExists(const QString& path) const
{
    if (isPlatformPath(path))
        return platform::board().fileExists(path.toStdString());
    return QFileInfo::exists(path);
}
