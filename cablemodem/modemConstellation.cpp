#include "modemConstellation.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {
constexpr int kDumpGroups = 64;
constexpr int kGridLast = 255;

// -256..255 onto 0..255.
int dumpScaled(int raw) { return (raw + 256) / 2; }
bool onGrid(int v) { return v >= 0 && v <= kGridLast; }

void append(ConstellationPoints& p, int i, int q)
{
    if (!onGrid(i) || !onGrid(q))
        return;
    p.i.append(i);
    p.q.append(q);
}
} // namespace

int ofdmPointI(int raw) { return static_cast<int>((raw + 10000LL) * 255 / 20000); }
int ofdmPointQ(int raw) { return static_cast<int>((10000LL - raw) * 255 / 20000); }

IqDump30 iqDump30(const QString& text)
{
    IqDump30 dump;
    const QByteArray bytes = text.toLatin1();
    const char* p = std::strchr(bytes.constData(), '(');
    if (!p)
        return dump;
    dump.found = true;
    int fields = 0;
    for (int n = 0; n < kDumpGroups; ++n) {
        if (!p)
            return IqDump30{{}, true, -1};
        int i = 0;
        int q = 0;
        const int read = std::sscanf(p, "(%d,%d)", &i, &q);
        fields += read > 0 ? read : 0;
        if (read == 2)
            append(dump, dumpScaled(i), dumpScaled(q));
        p = std::strchr(p + 1, '(');
    }
    dump.fields = fields;
    return dump;
}

ConstellationPoints tunerConstellation31(const QString& text)
{
    ConstellationPoints points;
    int from = 0;
    for (;;) {
        const int open = text.indexOf('(', from);
        if (open < 0)
            break;
        const int close = text.indexOf(')', open + 1);
        const QString group = close < 0 ? QString() : text.mid(open + 1, close - open - 1);
        if (group.isEmpty())
            break;
        const QStringList fields = group.split(',');
        bool iOk = false;
        bool qOk = false;
        const int i = fields.size() == 3 ? fields[0].trimmed().toInt(&iOk, 10) : 0;
        const int q = fields.size() == 3 ? fields[1].trimmed().toInt(&qOk, 10) : 0;
        if (iOk && qOk)
            append(points, dumpScaled(i), dumpScaled(q));
        from = close + 1;
    }
    return points;
}

ConstellationPoints ofdmConstellation31(const QString& text)
{
    static const QRegularExpression white("\\s");
    ConstellationPoints points;
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        const QStringList parts = QString(line).remove(white).split(',', Qt::SkipEmptyParts);
        if (parts.size() != 2)
            continue;
        bool iOk = false;
        bool qOk = false;
        const int i = parts[0].toInt(&iOk, 10);
        const int q = parts[1].toInt(&qOk, 10);
        if (iOk && qOk)
            append(points, ofdmPointI(i), ofdmPointQ(q));
    }
    return points;
}
