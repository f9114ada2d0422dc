// The QML frame loaded as start-up loads it, with stand-ins for the measurement engines
// that record every call the screens make on them, and the QML warnings collected.
#pragma once

#include "qtquick2applicationviewer.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace apptest {

// Stands in for any of the three engines; every call lands in one journal shared by all,
// as "<context name>.<method>", so the order across engines shows.
class FakeEngine : public QObject {
    Q_OBJECT
public:
    FakeEngine(const QString& name, QStringList* journal) : name_(name), journal_(journal) {}
    Q_INVOKABLE void stopMeasures() { note("stopMeasures"); }
    Q_INVOKABLE void changeTipusMesure(int code) { note(QString("changeTipusMesure(%1)").arg(code)); }
    Q_INVOKABLE void mesuraIsStarted() { note("mesuraIsStarted"); }
    Q_INVOKABLE void aturar() { note("aturar"); }
    Q_INVOKABLE void restatMesureIQ() { note("restatMesureIQ"); }
    // Notes the screen the settings file held when the engine was told to re-read it.
    Q_INVOKABLE void setVariablesQML();

private:
    void note(const QString& call) { *journal_ << name_ + "." + call; }
    QString name_;
    QStringList* journal_;
};

class FrameHarness {
public:
    FrameHarness();
    ~FrameHarness();

    QObject* root() const;
    QtQuick2ApplicationViewer* view() const { return view_.get(); }
    QString currentScreen() const;
    QObject* page() const;
    QVariant call(const char* function, const QVariant& argument = QVariant());
    // Evaluates a JS expression in the scope of the current page.
    QVariant evaluateInPage(const QString& expression);

    QStringList warnings;
    QStringList journal;

private:
    std::vector<std::unique_ptr<FakeEngine>> engines_;
    std::unique_ptr<QObject> translator_;
    std::unique_ptr<QObject> wrFile_;
    std::unique_ptr<QtQuick2ApplicationViewer> view_;
};

// The screenVariables.XML of the working directory as a map of element to text.
QVariantMap savedSettings();

} // namespace apptest
