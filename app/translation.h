// The language of the screens (context property "translator"): installs the translation
// "t1_en", "t1_es", "t1_fr" or "t1_de" of the resource tree and has the QML engine
// re-evaluate every translated text.
#pragma once

#include <QObject>
#include <QString>
#include <QTranslator>

class QQmlEngine;

class Translation : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString language READ language NOTIFY languageChanged)
    // Bound into texts by screens that must re-read them on a change of language.
    Q_PROPERTY(QString emptyString READ emptyString NOTIFY languageChanged)
public:
    explicit Translation(QObject* parent = nullptr);

    // The engine whose texts follow the language (set once the main view exists).
    void setEngine(QQmlEngine* engine) { engine_ = engine; }

    // Accepts a code ("en", "es", "fr", "de"), a translation name ("t1_es") or a
    // language name ("English", "Español", "SPANISH", ...) or an index 0-3 in that order.
    // An unknown language, or one whose translation is missing, keeps the current one
    // and returns false.
    Q_INVOKABLE bool selectLanguage(const QString& language);
    QString language() const { return code_; }
    QString emptyString() const { return QString(); }

    // "es" for any accepted spelling of Spanish; empty when unknown.
    static QString languageCode(const QString& language);
    static QString translationFile(const QString& code);

signals:
    void languageChanged();

private:
    QTranslator translator_;
    bool installed_ = false;
    QString code_ = QStringLiteral("en");
    QQmlEngine* engine_ = nullptr;
};
