#include "filterCmd.h"

#include "exceptionlog.h"
#include "textParameter.h"

#include "engines/measures.h"

namespace remote {

FilterCmd::FilterCmd()
{
    filters_.insert(QStringLiteral("FILTER_NARROW"), FILTER_NARROW);
    filters_.insert(QStringLiteral("FILTER_WIDE"), FILTER_WIDE);
}

int FilterCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("FilterCmd", -1, [&] {
        int bandwidth = 0;
        switch (readWordParameter(line, FILTER_, filters_, &bandwidth)) {
        case ParameterRead::Absent: return 0;
        case ParameterRead::Bad: return -1;
        case ParameterRead::Value: break;
        }
        Measures::getInstance()->setFilter(bandwidth);
        return 0;
    });
}

int FilterCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("FilterCmd", -1, [&] {
        const int bandwidth = Measures::getInstance()->getFilter();
        remotelog::note(" filter ", std::to_string(bandwidth));
        for (auto it = filters_.constBegin(); it != filters_.constEnd(); ++it) {
            if (it.value() == bandwidth) {
                *reply = std::string(FILTER_) + it.key().toStdString();
                break;
            }
        }
        return 0;
    });
}

} // namespace remote
