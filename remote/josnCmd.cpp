#include "josnCmd.h"

#include "exceptionlog.h"

#include "services/hardware.h"
#include "store/screensvariables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace remote {

namespace {

const char kAppearance[] = "[{\"id\": \"TV_TAB_NAME\",\"label\": \"TV Parameters\"}, "
                           "{\"id\": \"SP_TAB_NAME\",\"label\": \"Measurements and Spectrum\"}, "
                           "{ \"id\": \"HIDE_TV\", \"label\": \"Hide TV monitor\"}]";

struct SignalEntry {
    const char* id;
    const char* label;
    const char* type;
};

const SignalEntry kSignals[] = {
    {"PAL", "PAL", "ANALOG"},           {"NTSC", "NTSC", "ANALOG"},         {"SECAM", "SECAM", "ANALOG"},
    {"DVB-T", "DVB-T", "DIGITAL"},      {"DVB-C", "DVB-C", "DIGITAL"},      {"ITU J83.B", "QAM(J83B)", "DIGITAL"},
    {"DVB-C2", "DVB-C2", "DIGITAL"},    {"ISDB-T", "ISDB-T", "DIGITAL"},    {"DVB-S2", "DVB-S2", "DIGITAL"},
    {"DVB-S", "DVB-S", "DIGITAL"},      {"D3.1", "D3.1", "DIGITAL"},
};

QString modelName(int model)
{
    switch (model) {
    case HardwareModel::HW_MODEL_MINI_COMPLETE:
    case HardwareModel::HW_MODEL_MINI_CABLE: return QStringLiteral("Sulvani");
    case HardwareModel::HW_MODEL_CABLE_CM30: return QStringLiteral("Baltrix");
    case HardwareModel::HW_MODEL_CABLE_CM31: return QStringLiteral("Quenova");
    default: return QStringLiteral("Hadrelo");
    }
}

QJsonObject field(const char* id, const char* label, const QJsonValue& show, const QString& value)
{
    return QJsonObject{{QStringLiteral("id"), QLatin1String(id)},
                       {QStringLiteral("label"), QLatin1String(label)},
                       {QStringLiteral("show"), show},
                       {QStringLiteral("value"), value}};
}

} // namespace

int JosnCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("JosnCmd", -1, [&] {
        auth_json(reply);
        return 0;
    });
}

void JosnCmd::auth_json(std::string* out)
{
    ScreensVariables* settings = ScreensVariables::getInstance();
    QJsonArray signalList;
    for (const SignalEntry& s : kSignals)
        signalList.append(QJsonObject{{QStringLiteral("id"), QLatin1String(s.id)},
                                      {QStringLiteral("label"), QLatin1String(s.label)},
                                      {QStringLiteral("type"), QLatin1String(s.type)}});
    const QJsonObject objects[] = {
        field("EI_NAME", "Name", true, modelName(settings->getModelHardware())),
        field("EI_SN", "SN", true, settings->getScreensVariablesSerialNumber()),
        field("EI_PROVIDER", "Provider", false, QStringLiteral("KORVEL TEST & MEASUREMENT SLU")),
        // The peer reads this one flag as a text.
        field("EI_USER", "User", QStringLiteral("false"), QString()),
        field("EI_RELEASE", "Release", false, QStringLiteral("10.0.6")),
        field("EI_COMPANY", "Company", false, QStringLiteral("none")),
        QJsonObject{{QStringLiteral("fields"), QLatin1String(kAppearance)}, {QStringLiteral("id"), QStringLiteral("appearance")}},
        QJsonObject{{QStringLiteral("fields"), signalList}, {QStringLiteral("id"), QStringLiteral("Signals")}},
    };
    QByteArray text("AUTH=[");
    bool first = true;
    for (const QJsonObject& o : objects) {
        if (!first)
            text += ',';
        first = false;
        text += QJsonDocument(o).toJson(QJsonDocument::Compact);
    }
    text += ']';
    *out = text.toStdString();
}

} // namespace remote
