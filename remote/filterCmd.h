// "*FILTER" and "*?FILTER": select the IF filter of the front end by its name, and report the
// one in use. One object serves both keys.
#pragma once

#include "remotecmd.h"

#include <QMap>
#include <QString>

namespace remote {

class FilterCmd : public RemoteCmd {
public:
    static constexpr const char* FILTER_ = "FILTER=";

    FilterCmd();

    // "FILTER=" and the filter's name; nothing to report for a bandwidth without a name.
    int run(const std::string& line, std::string* reply, bool level) override;
    // A line without "FILTER=" changes nothing and is accepted.
    int run(const std::string& line, bool level) override;

private:
    QMap<QString, int> filters_;
};

} // namespace remote
