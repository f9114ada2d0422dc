#include "temperatureCmd.h"

#include "exceptionlog.h"

#include "rf/mesuraRF.h"

#include <QString>

namespace remote {

int TemperatureCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("TemperatureCmd", -1, [&] {
        // Widened before printing, as the peer's tools expect (36.6 prints as 36.599998);
        // Qt prints with a '.' whatever the system's locale.
        const double celsius = static_cast<double>(getTemperaturaC());
        *reply = "Temperature=" + QString::number(celsius, 'f', 6).toStdString();
        return 0;
    });
}

} // namespace remote
