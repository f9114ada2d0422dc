// The constellation points the modem reports, decoded and scaled onto the constellation
// screen's 0..255 grid: the DOCSIS 3.0 "iqdump" (64 "(I,Q)" groups of -256..255), the
// DOCSIS 3.1 tuner test constellation ("(I,Q,x)" groups of -256..255) and the OFDM
// channel's constellation ("I, Q" lines of -10000..10000). Groups that do not read whole,
// and points that fall outside the grid, are left out.
#pragma once

#include <QString>
#include <QVariantList>

struct ConstellationPoints {
    QVariantList i;
    QVariantList q;
};

// The 64 groups of an iqdump. fields: the numbers read (128 for a whole dump); -1 when a
// group is missing (a dump cut short) or, with found false, when there is no group at all.
struct IqDump30 : ConstellationPoints {
    bool found = false;
    int fields = -1;
};
IqDump30 iqDump30(const QString& text);

ConstellationPoints tunerConstellation31(const QString& text);
ConstellationPoints ofdmConstellation31(const QString& text);

// The OFDM scaling of one raw pair, for points made up on the instrument's side.
int ofdmPointI(int raw);
int ofdmPointQ(int raw);
