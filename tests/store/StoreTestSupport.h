// Helpers of the store tests: files as text, the file's root element, and the shell
// commands the simulated board recorded.
#pragma once

#include "SimBoardFixture.h"
#include "SimulatedBoard.h"

#include <QDomDocument>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace storetest {

using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QString readText(const QString& path) { return QString::fromUtf8(readBytes(path)); }

inline void writeText(const QString& path, const QByteArray& content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// A settings file holding a screen and the channel selection only.
inline void writeChannelVariables(int plan, int channel, int group, int carrier)
{
    writeText("screenVariables.XML",
              QString("<SCREEN_VARIABLES><screen type=\"QString\">SCAN_RF</screen><CHANNEL_VARIABLES>"
                      "<channelPlan type=\"int\">%1</channelPlan><channel type=\"int\">%2</channel>"
                      "<docsisBondingGroup type=\"int\">%3</docsisBondingGroup><carrier type=\"int\">%4</carrier>"
                      "</CHANNEL_VARIABLES></SCREEN_VARIABLES>")
                  .arg(plan).arg(channel).arg(group).arg(carrier)
                  .toUtf8());
}

inline QDomElement rootOf(const QString& path)
{
    QDomDocument doc;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !doc.setContent(&f))
        return QDomElement();
    return doc.documentElement();
}

// What every write to the root file system must be wrapped in, in this order.
inline std::vector<std::string> remountBrackets()
{
    return {"mount -o remount,rw /", "sync", "mount -o remount,ro /"};
}

inline std::vector<std::string> commands(platform::sim::SimulatedBoard& board)
{
    return board.shell().commandLines();
}

} // namespace storetest
