#include "translation.h"

#include <QCoreApplication>
#include <QDebug>
#include <QQmlEngine>

#include <iterator>

namespace {
struct Language {
    const char* code;
    const char* names[4];
};
const Language kLanguages[] = {
    {"en", {"english", "inglés", "ingles", "anglès"}},
    {"es", {"spanish", "español", "espanol", "castellano"}},
    {"fr", {"french", "français", "francais", "francés"}},
    {"de", {"german", "deutsch", "alemán", "aleman"}},
};
} // namespace

Translation::Translation(QObject* parent) : QObject(parent) {}

QString Translation::languageCode(const QString& language)
{
    QString key = language.trimmed().toLower();
    if (key.startsWith("t1_"))
        key = key.mid(3);
    // A stored index counts in the order of the translations: en, es, fr, de.
    bool numeric = false;
    const int index = key.toInt(&numeric);
    if (numeric)
        return index >= 0 && index < int(std::size(kLanguages)) ? kLanguages[index].code : QString();
    for (const Language& l : kLanguages) {
        if (key == l.code)
            return l.code;
        for (const char* name : l.names)
            if (key == QString::fromUtf8(name))
                return l.code;
    }
    return QString();
}

QString Translation::translationFile(const QString& code)
{
    return QStringLiteral(":/languages/languages/t1_%1.qm").arg(code);
}

bool Translation::selectLanguage(const QString& language)
{
    const QString code = languageCode(language);
    if (code.isEmpty()) {
        qDebug() << "Translation: unknown language" << language;
        return false;
    }
    if (installed_) {
        QCoreApplication::removeTranslator(&translator_);
        installed_ = false;
    }
    if (!translator_.load(translationFile(code))) {
        qDebug() << "Translation: cannot load" << translationFile(code);
        return false;
    }
    installed_ = QCoreApplication::installTranslator(&translator_);
    code_ = code;
    if (engine_)
        engine_->retranslate();
    emit languageChanged();
    return true;
}
