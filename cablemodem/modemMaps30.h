// The DOCSIS 3.0 result stores as the maps the engine emits to the screens: one
// downstream channel (PhyChannelMap), the upstream channels (UpsChannelMap list) and the
// modem's addresses (ips_info).
#pragma once

#include <QVariantList>
#include <QVariantMap>

// The map of downstream record index (0..7); empty for another index.
QVariantMap phyChannelMap30(int index);
// The only map of a new tune: the screens clear their channel display.
QVariantMap newTuneMap30();
// The upstream records with a frequency (neither 0 nor unmeasured); with
// withIdAndPower, only those whose channel id and power are measured too.
QVariantList upstreamChannelList30(bool withIdAndPower);
// The stored addresses as "%03d.%03d.%03d.%03d" texts and the stored MAC text.
QVariantMap ipInformation30();
