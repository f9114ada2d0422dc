#include "remotecommands.h"

#include "attenCmd.h"
#include "calibrationCmd.h"
#include "circuitCmd.h"
#include "equipCmd.h"
#include "exceptionlog.h"
#include "filterCmd.h"
#include "idCmd.h"
#include "josnCmd.h"
#include "lnbCmd.h"
#include "nameCmd.h"
#include "pathCmd.h"
#include "readingConverterCmd.h"
#include "remote.h"
#include "serialNumCmd.h"
#include "systemCmd.h"
#include "temperatureCmd.h"
#include "tuneCmd.h"
#include "versionCmd.h"

#include <initializer_list>

namespace {

struct CommandEntry {
    const char* setKey;   // "*NAME", or null for a query-only command
    const char* queryKey; // "*?NAME", or null for a set-only command
    RemoteCmd* (*create)();
};

template <typename Cmd>
RemoteCmd* make()
{
    return new Cmd;
}

// One line per command class: {"*NAME", "*?NAME", &make<remote::NameCmd>}. The set and
// query keys of a class share its one object; the first entry that claims a key keeps it.
const std::initializer_list<CommandEntry> kCommands = {
    {nullptr, "*?NAM", &make<remote::NameCmd>},
    {"*TUNE", "*?TUNE", &make<remote::TuneCmd>},
    {"*ATTEN", "*?ATTEN", &make<remote::AttenCmd>},
    {nullptr, "*?CONVERT", &make<remote::ReadingConverterCmd>},
    {"*CIRCUIT", "*?CIRCUIT", &make<remote::CircuitCmd>},
    {nullptr, "*?TEMPERATURE", &make<remote::TemperatureCmd>},
    {"*SYSTEM", nullptr, &make<remote::SystemCmd>},
    {"*CALIBRATION", nullptr, &make<remote::CalibrationCmd>},
    {nullptr, "*?ID", &make<remote::IdCmd>},
    {nullptr, "*?VERSION", &make<remote::VersionCmd>},
    {"*FILTER", "*?FILTER", &make<remote::FilterCmd>},
    {"*EQUIP", "*?EQUIP", &make<remote::EquipCmd>},
    {"*LNB", "*?LNB", &make<remote::LnbCmd>},
    {nullptr, "*?JSON", &make<remote::JosnCmd>},
    {"*SERIAL", "*?SERIAL", &make<remote::SerialNumCmd>},
    {nullptr, "*?PATH", &make<remote::PathCmd>},
};

} // namespace

void installRemoteCommands(Remote& remote)
{
    remotelog::guarded("NameCmd", 0, [&] {
        for (const CommandEntry& entry : kCommands) {
            RemoteCmd* cmd = entry.create();
            if (entry.setKey)
                remote.insert_cmd(entry.setKey, cmd);
            if (entry.queryKey)
                remote.insert_cmd(entry.queryKey, cmd);
        }
        return 0;
    });
}
