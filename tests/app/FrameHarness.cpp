#include "FrameHarness.h"

#include "networkinterface.h"
#include "periodicfunctions.h"
#include "screenshot.h"
#include "software.h"
#include "startup.h"
#include "translation.h"
#include "wrfile.h"

#include "engines/mesuraCM.h"
#include "store/channelslist.h"
#include "store/loggerlist.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QTest>

#include <algorithm>
#include <functional>

namespace apptest {

QVariantMap savedSettings()
{
    QVariantMap out;
    QFile file(ScreensVariables::fileName());
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        return out;
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        out.insert(e.tagName(), e.text());
    return out;
}

void FakeEngine::setVariablesQML()
{
    const QVariantMap saved = savedSettings();
    note("setVariablesQML saved screen=" + saved.value("screen").toString());
    if (settingsTaken)
        settingsTaken(saved);
}

void FakeEngine::setListaFrequencyMeasures(const QVariantList& list)
{
    lastFrequencyList = list;
    note(QString("setListaFrequencyMeasures(%1 points)").arg(list.size()));
}

int FakeEngine::init(uint frequency, int code)
{
    note(QString("init(%1,%2)").arg(frequency).arg(code));
    return 0;
}

void FakeEngine::initVoIP(uint ip, int length, int pings, int grantSize, int nominalGrant, int grantsPerInterval,
                          int jitter, const QString& codec, int ugs)
{
    QStringList values{QString::number(ip)};
    for (int v : {length, pings, grantSize, nominalGrant, grantsPerInterval, jitter})
        values << QString::number(v);
    note("initVoIP(" + (values << codec << QString::number(ugs)).join(',') + ")");
}

void FakeEngine::initIPTV(uint ip, int nominalPoll, int rtps)
{
    note(QString("initIPTV(%1,%2,%3)").arg(ip).arg(nominalPoll).arg(rtps));
}

FrameHarness::FrameHarness() : FrameHarness(Options()) {}

FrameHarness::FrameHarness(const Options& options)
{
    StartUp::registerTypes();
    StartUp::useProjectFont();
    view_ = std::make_unique<QtQuick2ApplicationViewer>();
    QObject::connect(view_->engine(), &QQmlEngine::warnings, [this](const QList<QQmlError>& errors) {
        for (const QQmlError& e : errors)
            warnings << e.toString();
    });
    // The top bar as on the unit, with the temperature shown.
    PeriodicFunctions::getInstance()->updateTemperature(25.0f, false);
    QQmlContext* context = view_->rootContext();
    translator_ = std::make_unique<Translation>();
    static_cast<Translation*>(translator_.get())->setEngine(view_->engine());
    wrFile_ = std::make_unique<WrFile>();
    shot_ = std::make_unique<ScreenShot>();
    shot_->setWindow(view_.get());
    context->setContextProperty("translator", translator_.get());
    context->setContextProperty("periodicFunctions", PeriodicFunctions::getInstance());
    context->setContextProperty("variables", ScreensVariables::getInstance()->getScreensVariables());
    context->setContextProperty("shot", shot_.get());
    context->setContextProperty("networkInterface", NetworkInterface::getInstance());
    context->setContextProperty("channels", Channelslist::getInstance());
    context->setContextProperty("software", Software::getInstance());
    context->setContextProperty("appVariables", ScreensVariables::getInstance());
    context->setContextProperty("loggers", Loggerlist::getInstance());
    context->setContextProperty("wr_file", wrFile_.get());
    for (const char* name : {"measuresSpectrum", "measuresIQ", "measuresCM"}) {
        engines_.push_back(std::make_unique<FakeEngine>(name, &journal));
        context->setContextProperty(name, engines_.back().get());
    }
    if (options.realCableModem)
        context->setContextProperty("measuresCM", MesuraCM::getInstance());
    view_->setInitialProperties({{"date_compilation", "2025-10-31"}});
    view_->setMainQmlFile(QUrl("qrc:///qml/code/main.qml"));
    for (const QQmlError& e : view_->errors())
        warnings << e.toString();
    if (options.show) {
        view_->showExpanded();
        if (!QTest::qWaitForWindowExposed(view_.get()))
            warnings << "the window was not shown";
    }
}

FrameHarness::~FrameHarness() = default;

QObject* FrameHarness::root() const { return view_->rootObject(); }

QString FrameHarness::currentScreen() const { return root()->property("currentScreen").toString(); }

QObject* FrameHarness::page() const { return pageOf(root()); }

FakeEngine* FrameHarness::engine(const QString& name) const
{
    const int index = QStringList({"measuresSpectrum", "measuresIQ", "measuresCM"}).indexOf(name);
    return index < 0 ? nullptr : engines_[size_t(index)].get();
}

QVariant FrameHarness::call(const char* function, const QVariant& argument)
{
    QVariant result;
    if (argument.isValid())
        QMetaObject::invokeMethod(root(), function, Q_RETURN_ARG(QVariant, result), Q_ARG(QVariant, argument));
    else
        QMetaObject::invokeMethod(root(), function, Q_RETURN_ARG(QVariant, result));
    return result;
}

QVariant FrameHarness::evaluateInPage(const QString& expression)
{
    QObject* item = page();
    QQmlExpression e(qmlContext(item), item, expression);
    QVariant v = e.evaluate();
    if (e.hasError())
        warnings << e.error().toString();
    return v;
}

namespace {
// Whether the item and all its ancestors are shown.
bool shown(const QQuickItem* item)
{
    for (; item; item = item->parentItem())
        if (!item->isVisible() || item->opacity() == 0.0)
            return false;
    return true;
}

// The last shown item in paint order that matches: the one on top.
QQuickItem* topmost(QQuickItem* root, const std::function<bool(QQuickItem*)>& match)
{
    QQuickItem* found = nullptr;
    std::function<void(QQuickItem*)> walk = [&](QQuickItem* item) {
        if (match(item) && shown(item))
            found = item;
        for (QQuickItem* child : item->childItems())
            walk(child);
    };
    walk(root);
    return found;
}
} // namespace

QObject* pageOf(QObject* root)
{
    for (QObject* child : root->children())
        if (child->inherits("QQuickLoader"))
            return child->property("item").value<QObject*>();
    return nullptr;
}

QQuickItem* topmostNamed(QQuickItem* root, const QString& objectName)
{
    // Items just made are placed when the window next lays out.
    QTest::qWait(1);
    return topmost(root, [&](QQuickItem* i) { return i->objectName() == objectName; });
}

bool dialogsOpened(QQuickItem* root)
{
    // A dialog grows from a smaller scale (and fades in from nothing, so its opacity cannot
    // tell); no item of the screens is drawn at another scale for good.
    std::function<bool(QQuickItem*)> growing = [&](QQuickItem* item) {
        if (!item->isVisible())
            return false;
        if (item->scale() != 1.0)
            return true;
        const QList<QQuickItem*> children = item->childItems();
        return std::any_of(children.begin(), children.end(), growing);
    };
    return QTest::qWaitFor([&] { return !growing(root); }, FrameHarness::kShowsWithinMs);
}

bool nextFrame(QQuickWindow* window)
{
    if (!window->isExposed()) {
        QCoreApplication::processEvents();
        return true;
    }
    // Swapped on the render loop's thread, which may be another: the swap is told on this
    // thread, to a receiver of its own, so the flag is only touched here and no swap after
    // the wait (the receiver gone, its posted calls with it) reaches the flag.
    QObject receiver;
    bool swapped = false;
    QObject::connect(window, &QQuickWindow::frameSwapped, &receiver, [&swapped] { swapped = true; });
    window->update();
    return QTest::qWaitFor([&swapped] { return swapped; }, FrameHarness::kShowsWithinMs);
}

bool touch(QQuickWindow* window, QQuickItem* item)
{
    if (!item)
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    // What the touch opened is laid out for the next frame, and a dialog it opened grows into view.
    nextFrame(window);
    dialogsOpened(window->contentItem());
    return true;
}

QQuickItem* FrameHarness::item(const QString& objectName) const
{
    return topmostNamed(view_->contentItem(), objectName);
}

QQuickItem* FrameHarness::shownItem(const QString& objectName) const
{
    QQuickItem* found = nullptr;
    return QTest::qWaitFor([&] { return (found = item(objectName)) != nullptr; }, kShowsWithinMs) ? found : nullptr;
}

bool FrameHarness::click(const QString& objectName) { return touch(view_.get(), shownItem(objectName)); }

bool FrameHarness::clickText(const QString& text)
{
    // A button is the item whose label shows the text; the label's parent takes the touch.
    QQuickItem* label = topmost(view_->contentItem(), [&](QQuickItem* i) {
        return i->inherits("QQuickText") && i->property("text").toString() == text;
    });
    return touch(view_.get(), label ? label->parentItem() : nullptr);
}

void FrameHarness::clickAt(const QPoint& point)
{
    QTest::mouseClick(view_.get(), Qt::LeftButton, Qt::NoModifier, point);
    apptest::nextFrame(view_.get());
    dialogsOpened(view_->contentItem());
}

void FrameHarness::wait(int ms) { QTest::qWait(ms); }

bool FrameHarness::nextFrame() { return apptest::nextFrame(view_.get()); }

bool FrameHarness::waitUntil(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }

bool FrameHarness::selectLanguage(const QString& code)
{
    return static_cast<Translation*>(translator_.get())->selectLanguage(code);
}

} // namespace apptest
