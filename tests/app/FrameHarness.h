// The QML frame loaded as start-up loads it, with stand-ins for the measurement engines
// that record every call the screens make on them, and the QML warnings collected.
#pragma once

#include "qtquick2applicationviewer.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace apptest {

// One journal for all three engines, so the order across them shows.
class EngineJournal : public QObject {
    Q_OBJECT
public:
    QStringList calls;
};

class FakeSpectrum : public QObject {
    Q_OBJECT
public:
    explicit FakeSpectrum(EngineJournal* journal) : journal_(journal) {}
    Q_INVOKABLE void stopMeasures() { journal_->calls << "measuresSpectrum.stopMeasures"; }
    Q_INVOKABLE void changeTipusMesure(int code)
    {
        journal_->calls << QString("measuresSpectrum.changeTipusMesure(%1)").arg(code);
    }
    Q_INVOKABLE void mesuraIsStarted() { journal_->calls << "measuresSpectrum.mesuraIsStarted"; }
    // Notes the screen the settings file held when the engine was told to re-read it.
    Q_INVOKABLE void setVariablesQML();

private:
    EngineJournal* journal_;
};

class FakeIQ : public QObject {
    Q_OBJECT
public:
    explicit FakeIQ(EngineJournal* journal) : journal_(journal) {}
    Q_INVOKABLE void aturar() { journal_->calls << "measuresIQ.aturar"; }
    Q_INVOKABLE void restatMesureIQ() { journal_->calls << "measuresIQ.restatMesureIQ"; }

private:
    EngineJournal* journal_;
};

class FakeCM : public QObject {
    Q_OBJECT
public:
    explicit FakeCM(EngineJournal* journal) : journal_(journal) {}
    Q_INVOKABLE void aturar() { journal_->calls << "measuresCM.aturar"; }

private:
    EngineJournal* journal_;
};

class FrameHarness {
public:
    // withEngines: publish the three stand-ins; without, the frame runs as in a build
    // that has no measurement subsystems.
    explicit FrameHarness(bool withEngines);
    ~FrameHarness();

    QObject* root() const;
    QtQuick2ApplicationViewer* view() const { return view_.get(); }
    QString currentScreen() const;
    QObject* page() const;
    QVariant call(const char* function, const QVariant& argument = QVariant());
    // Evaluates a JS expression in the scope of the current page.
    QVariant evaluateInPage(const QString& expression);

    QStringList warnings;
    EngineJournal journal;

private:
    std::unique_ptr<FakeSpectrum> spectrum_;
    std::unique_ptr<FakeIQ> iq_;
    std::unique_ptr<FakeCM> cm_;
    std::unique_ptr<QObject> translator_;
    std::unique_ptr<QObject> wrFile_;
    std::unique_ptr<QtQuick2ApplicationViewer> view_;
};

// The screenVariables.XML of the working directory as a map of element to text.
QVariantMap savedSettings();

} // namespace apptest
