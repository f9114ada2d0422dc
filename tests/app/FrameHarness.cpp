#include "FrameHarness.h"

#include "periodicfunctions.h"
#include "software.h"
#include "translation.h"
#include "wrfile.h"

#include "store/screensvariables.h"

#include <QDomDocument>
#include <QFile>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>

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

void FakeEngine::setVariablesQML() { note("setVariablesQML saved screen=" + savedSettings().value("screen").toString()); }

FrameHarness::FrameHarness()
{
    view_ = std::make_unique<QtQuick2ApplicationViewer>();
    QObject::connect(view_->engine(), &QQmlEngine::warnings, [this](const QList<QQmlError>& errors) {
        for (const QQmlError& e : errors)
            warnings << e.toString();
    });
    QQmlContext* context = view_->rootContext();
    translator_ = std::make_unique<Translation>();
    wrFile_ = std::make_unique<WrFile>();
    context->setContextProperty("translator", translator_.get());
    context->setContextProperty("periodicFunctions", PeriodicFunctions::getInstance());
    context->setContextProperty("software", Software::getInstance());
    context->setContextProperty("appVariables", ScreensVariables::getInstance());
    context->setContextProperty("wr_file", wrFile_.get());
    for (const char* name : {"measuresSpectrum", "measuresIQ", "measuresCM"}) {
        engines_.push_back(std::make_unique<FakeEngine>(name, &journal));
        context->setContextProperty(name, engines_.back().get());
    }
    view_->setInitialProperties({{"date_compilation", "2025-10-31"}});
    view_->setMainQmlFile(QUrl("qrc:///qml/code/main.qml"));
    for (const QQmlError& e : view_->errors())
        warnings << e.toString();
}

FrameHarness::~FrameHarness() = default;

QObject* FrameHarness::root() const { return view_->rootObject(); }

QString FrameHarness::currentScreen() const { return root()->property("currentScreen").toString(); }

QObject* FrameHarness::page() const
{
    for (QObject* child : root()->children())
        if (child->inherits("QQuickLoader"))
            return child->property("item").value<QObject*>();
    return nullptr;
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

} // namespace apptest
