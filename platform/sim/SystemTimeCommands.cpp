#include "SystemTimeCommands.h"

#include "common/BoardWiring.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

namespace platform::sim {

std::optional<int64_t> parseDateText(const std::string& text, int64_t nowUs)
{
    const QString t = QString::fromLatin1(text.data(), static_cast<int>(text.size()));
    static const QStringList kFullForms = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd",
                                           "yyyy.MM.dd-HH:mm:ss", "yyyy.MM.dd-HH:mm"};
    for (const QString& form : kFullForms) {
        QDateTime d = QDateTime::fromString(t, form);
        if (d.isValid()) {
            d.setTimeSpec(Qt::UTC);
            return d.toMSecsSinceEpoch() * 1000;
        }
    }
    for (const QString& form : {QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")}) {
        const QTime time = QTime::fromString(t, form);
        if (time.isValid()) {
            const QDate today = QDateTime::fromMSecsSinceEpoch(nowUs / 1000, Qt::UTC).date();
            return QDateTime(today, time, Qt::UTC).toMSecsSinceEpoch() * 1000;
        }
    }
    return std::nullopt;
}

void installDateCommand(SimulatedBoard& board)
{
    board.shell().addProgramResponder([&board](const std::vector<std::string>& argv, std::string* output, int* code) {
        if (argv.size() != 3 || argv[0] != "date" || argv[1] != "-s")
            return false;
        const auto wall = parseDateText(argv[2], board.clock().wallTimeUs());
        // "date: invalid date", or the kernel refusing a time before 1970, on its error output.
        if (!wall || *wall < 0) {
            *code = 1;
            return true;
        }
        if (VirtualClock* clock = board.virtualClock())
            clock->setWallTimeUs(*wall);
        *output = QDateTime::fromMSecsSinceEpoch(*wall / 1000, Qt::UTC)
                      .toString(QStringLiteral("ddd MMM d HH:mm:ss 'UTC' yyyy\n"))
                      .toStdString();
        *code = 0;
        return true;
    });
}

void installHardwareClockCommand(SimulatedBoard& board, std::weak_ptr<Pcf85263Model> chip)
{
    board.shell().addProgramResponder([&board, chip](const std::vector<std::string>& argv, std::string*, int* code) {
        if (argv != std::vector<std::string>{"hwclock", "-w"})
            return false;
        auto rtc = chip.lock();
        if (!rtc) {
            *code = 1; // no clock chip to write
            return true;
        }
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(board.clock().wallTimeUs() / 1000, Qt::UTC);
        // The chip holds a hundred years from its base year; the kernel refuses to write others.
        const int year = now.date().year();
        if (year < wiring::pcf85263::kYearBase || year > wiring::pcf85263::kYearBase + 99) {
            *code = 1;
            return true;
        }
        rtc->setDateTime(ClockDateTime{now.date().year(), now.date().month(), now.date().day(), now.time().hour(),
                                       now.time().minute(), now.time().second(), 0});
        *code = 0;
        return true;
    });
}

} // namespace platform::sim
