// The QML frame loaded as start-up loads it, with stand-ins for the measurement engines
// that record every call the screens make on them, and the QML warnings collected.
#pragma once

#include "qtquick2applicationviewer.h"

#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

class QQuickItem;
class QQuickWindow;
class ScreenShot;

// Texts in test failures as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace apptest {

// Stands in for any of the three engines; every call lands in one journal shared by all,
// as "<context name>.<method>", so the order across engines shows. It carries the signals
// the screens listen to, for tests to emit.
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
    Q_INVOKABLE void setListaFrequencyMeasures(const QVariantList& list);
    Q_INVOKABLE void setFilter(int hz) { note(QString("setFilter(%1)").arg(hz)); }
    Q_INVOKABLE void setCircuit(const QString& circuit) { note("setCircuit(" + circuit + ")"); }
    Q_INVOKABLE int init(uint frequency, int code);
    Q_INVOKABLE void initVoIP(uint ip, int length, int pings, int grantSize, int nominalGrant, int grantsPerInterval,
                              int jitter, const QString& codec, int ugs);
    Q_INVOKABLE void initIPTV(uint ip, int nominalPoll, int rtps);
    Q_INVOKABLE int getModemStatus_31() { return modemStatus; }

    int modemStatus = 1600;
    QVariantList lastFrequencyList;
    // Called after each setVariablesQML, with the settings saved then (the RF engine's pass
    // routes the input as their "circuit" says).
    std::function<void(const QVariantMap&)> settingsTaken;

signals:
    void listaFrequencyMeasuresChanged(QVariantList list);
    void phyChanged(QVariantMap phy);
    void phy_3_0_Changed(QVariantMap phy);
    void ipCableModemChanged(QVariantMap ips_info);
    void upsChanged(QVariantList ups_list);
    void ping_UGS_Changed(QVariantMap ugs_ping);
    void cm_information_mac(QVariantMap information);
    void node_IPTV_Changed(QVariantList node_IPTV);
    void s_send_dades_iq(QVariantMap m_dades_iq);
    void s_send_dades_31(QVariantMap m_dades_31);
    void modemConfigurat();
    void downOFDMChanged_31(QVariantList down_list);
    void downBondingChanged_31(QVariantList down_list);
    void upsOFDMChanged_31(QVariantList ups_list);
    void upsBondingChanged_31(QVariantList ups_list);
    void cm_status_information(QString status);
    void restartMeasurements();

private:
    void note(const QString& call) { *journal_ << name_ + "." + call; }
    QString name_;
    QStringList* journal_;
};

class FrameHarness {
public:
    struct Options {
        // The screens drive the real cable-modem engine (its thread is not started).
        bool realCableModem = false;
        // A real window, for tests that render.
        bool show = false;
    };
    FrameHarness();
    explicit FrameHarness(const Options& options);
    ~FrameHarness();

    QObject* root() const;
    QtQuick2ApplicationViewer* view() const { return view_.get(); }
    QString currentScreen() const;
    QObject* page() const;
    QVariant call(const char* function, const QVariant& argument = QVariant());
    // Evaluates a JS expression in the scope of the current page.
    QVariant evaluateInPage(const QString& expression);
    FakeEngine* engine(const QString& name) const;
    FakeEngine* cableModem() const { return engine("measuresCM"); }

    // The visible item of the window with that objectName (the topmost when several);
    // null when there is none.
    QQuickItem* item(const QString& objectName) const;
    // That item once it shows, waited for as waitUntil waits: a dialog fades in from nothing,
    // and a busy machine draws its first step late. Null when none shows by then.
    QQuickItem* shownItem(const QString& objectName) const;
    // Clicks the middle of the visible item with that objectName, as a finger would, once it
    // shows; false when none does.
    bool click(const QString& objectName);
    // Clicks the visible button showing that text.
    bool clickText(const QString& text);
    void clickAt(const QPoint& point);
    // Lets timers and queued work run for that long.
    void wait(int ms);
    // The window's next frame (see nextFrame below).
    bool nextFrame();
    // Lets them run until done() holds, at most ms: the screens' timers are real ones, which a
    // busy machine may fire late. Whether it holds.
    bool waitUntil(const std::function<bool()>& done, int ms = kShowsWithinMs);
    static constexpr int kShowsWithinMs = 10000;
    // Installs the translation of "en", "es", "fr" or "de"; false when there is none.
    bool selectLanguage(const QString& code);

    QStringList warnings;
    QStringList journal;

private:
    std::vector<std::unique_ptr<FakeEngine>> engines_;
    std::unique_ptr<QObject> translator_;
    std::unique_ptr<QObject> wrFile_;
    std::unique_ptr<ScreenShot> shot_;
    std::unique_ptr<QtQuick2ApplicationViewer> view_;
};

// What the harness does to a window, for a window of the whole instrument too: the visible
// item under root with that objectName (the topmost when several; null when there is none),
// a finger's touch on the middle of an item (false for none), and the page the frame's
// loader shows.
QQuickItem* topmostNamed(QQuickItem* root, const QString& objectName);
bool touch(QQuickWindow* window, QQuickItem* item);
// Waits until no dialog under root is still growing into view (each opens with a short
// animation, which a busy machine draws late); whether none is.
bool dialogsOpened(QQuickItem* root);
// Has a shown window draw its next frame, for which its items are laid out, and waits for it
// (a hidden one only handles what is queued); whether it came.
bool nextFrame(QQuickWindow* window);
QObject* pageOf(QObject* root);

// The screenVariables.XML of the working directory as a map of element to text.
QVariantMap savedSettings();

} // namespace apptest
