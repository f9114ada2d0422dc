#include "RfScene.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

namespace {

    double toLinear(double db) { return std::pow(10.0, db / 10.0); }
    double toDb(double linear) { return linear > 0 ? 10.0 * std::log10(linear) : -200.0; }

    // Bell-shaped IF response: 3 dB down at the filter edges, growing with the square of the offset.
    double lineResponseDb(double offsetHz, double filterBandwidthHz)
    {
        const double x = 2.0 * offsetHz / filterBandwidthHz;
        return -std::min(3.0 * x * x, 200.0);
    }

    double overlapHz(double aLow, double aHigh, double bLow, double bHigh)
    {
        return std::max(0.0, std::min(aHigh, bHigh) - std::max(aLow, bLow));
    }

    SceneCarrier block(SceneCarrier::Kind kind, double centreHz, double bandwidthHz, double levelDbuV,
                       const std::string& standard, double merDb, const DigitalChannel& digital = {})
    {
        SceneCarrier c;
        c.kind = kind;
        c.frequencyHz = centreHz;
        c.levelDbuV = levelDbuV;
        c.bandwidthHz = bandwidthHz;
        c.standard = standard;
        c.merDb = merDb;
        c.digital = digital;
        return c;
    }

    constexpr double kInputLowHz = 5e6;
    constexpr double kInputHighHz = 2.7e9;
    constexpr double kPi = 3.14159265358979323846;
    // A vision carrier is found within this distance of the frequency a test names.
    constexpr double kVisionMatchHz = 1000.0;
    // How steeply a quasi-square wave rises: it sits at its peaks for about 80 % of the time.
    constexpr double kQuasiSquareGain = 3.0;

    double mainsShape(MainsShape shape, double phase)
    {
        const double s = std::sin(phase);
        return shape == MainsShape::Sine ? s : std::clamp(kQuasiSquareGain * s, -1.0, 1.0);
    }

} // namespace

void RfScene::clear()
{
    locked([&] { carriers_.clear(); });
}

void RfScene::add(const SceneCarrier& carrier)
{
    locked([&] { carriers_.push_back(carrier); });
}

void RfScene::addCw(double frequencyHz, double levelDbuV)
{
    add(block(SceneCarrier::Kind::Cw, frequencyHz, 0, levelDbuV, "CW", 0));
}

void RfScene::addAnalogue(
    double visionHz, double visionDbuV, double soundOffsetHz, double soundDbuV, const std::string& standard)
{
    SceneCarrier c = block(SceneCarrier::Kind::Analogue, visionHz, 0, visionDbuV, standard, 0);
    c.soundOffsetHz = soundOffsetHz;
    c.soundLevelDbuV = soundDbuV;
    add(c);
}

void RfScene::addDigital(double centreHz, double bandwidthHz, double levelDbuV, const std::string& standard,
                         double merDb, const DigitalChannel& digital)
{
    add(block(SceneCarrier::Kind::Digital, centreHz, bandwidthHz, levelDbuV, standard, merDb, digital));
}

void RfScene::addOfdm(double centreHz, double bandwidthHz, double levelDbuV, const std::string& standard,
                      double merDb, const DigitalChannel& digital)
{
    add(block(SceneCarrier::Kind::Ofdm, centreHz, bandwidthHz, levelDbuV, standard, merDb, digital));
}

SceneCarrier* RfScene::analogueAtLocked(double visionHz)
{
    for (SceneCarrier& c : carriers_)
        if (c.kind == SceneCarrier::Kind::Analogue && std::fabs(c.frequencyHz - visionHz) <= kVisionMatchHz)
            return &c;
    return nullptr;
}

bool RfScene::setDistortion(double visionHz, double ctbDbc, const std::vector<SceneBeat>& cso)
{
    return locked([&] {
        SceneCarrier* c = analogueAtLocked(visionHz);
        if (c) {
            c->ctbDbc = ctbDbc;
            c->cso = cso;
        }
        return c != nullptr;
    });
}

bool RfScene::removeVisionCarrier(double visionHz, bool removed)
{
    return locked([&] {
        SceneCarrier* c = analogueAtLocked(visionHz);
        if (c)
            c->visionRemoved = removed;
        return c != nullptr;
    });
}

void RfScene::addSatellite(double centreHz, double symbolRateBd, const std::string& standard, double cnDb,
                           DigitalChannel digital)
{
    const auto rollOff = digital.signalling.find("rolloff%");
    const double alpha = rollOff != digital.signalling.end() && rollOff->second > 0 ? rollOff->second / 100.0 : 0.35;
    digital.symbolRateBd = symbolRateBd;
    const double level = noiseFloor() + 10.0 * std::log10(symbolRateBd / kNoiseReferenceHz) + cnDb;
    add(block(SceneCarrier::Kind::Digital, centreHz, symbolRateBd * (1 + alpha), level, standard, cnDb, digital));
}

std::vector<SceneCarrier> RfScene::carriers() const
{
    return locked([&] { return carriers_; });
}

std::vector<SceneCarrier> RfScene::blocksOf(const std::string& standardPrefix) const
{
    std::vector<SceneCarrier> out = locked([&] {
        std::vector<SceneCarrier> found;
        for (const SceneCarrier& c : carriers_) {
            const bool block = c.kind == SceneCarrier::Kind::Digital || c.kind == SceneCarrier::Kind::Ofdm;
            if (block && c.standard.compare(0, standardPrefix.size(), standardPrefix) == 0) {
                found.push_back(c);
                found.back().levelDbuV = tiltedLocked(c.levelDbuV, c.frequencyHz);
            }
        }
        return found;
    });
    std::sort(out.begin(), out.end(),
              [](const SceneCarrier& a, const SceneCarrier& b) { return a.frequencyHz < b.frequencyHz; });
    return out;
}

std::optional<SceneCarrier> RfScene::blockAt(double frequencyHz) const
{
    return locked([&] {
        const SceneCarrier* best = nullptr;
        double bestDistance = 0;
        for (const SceneCarrier& c : carriers_) {
            if (c.kind != SceneCarrier::Kind::Digital && c.kind != SceneCarrier::Kind::Ofdm)
                continue;
            const double distance = std::abs(c.frequencyHz - frequencyHz);
            if (distance > c.bandwidthHz / 2)
                continue;
            if (!best || distance < bestDistance
                || (distance == bestDistance && c.frequencyHz < best->frequencyHz)) {
                best = &c;
                bestDistance = distance;
            }
        }
        std::optional<SceneCarrier> found;
        if (best) {
            found = *best;
            found->levelDbuV = tiltedLocked(best->levelDbuV, best->frequencyHz);
        }
        return found;
    });
}

void RfScene::setNoiseFloor(double dbuvPer157k5)
{
    locked([&] { noiseFloor_ = dbuvPer157k5; });
}

double RfScene::noiseFloor() const
{
    return locked([&] { return noiseFloor_; });
}

void RfScene::setTilt(double dbPerGhz, double referenceHz)
{
    locked([&] {
        tiltDbPerGhz_ = dbPerGhz;
        tiltReferenceHz_ = referenceHz;
    });
}

void RfScene::setHumPercent(double percent)
{
    locked([&] { humPercent_ = percent; });
}

double RfScene::humPercent() const
{
    return locked([&] { return humPercent_; });
}

void RfScene::setInputVoltage(double dcVolts, double acVoltsRms, double acHz, MainsShape shape)
{
    locked([&] {
        dcVolts_ = dcVolts;
        acVolts_ = acVoltsRms;
        acHz_ = acHz;
        mainsShape_ = shape;
    });
}

void RfScene::inputVoltage(double* dcVolts, double* acVoltsRms, double* acHz) const
{
    locked([&] {
        *dcVolts = dcVolts_;
        *acVoltsRms = acVolts_;
        *acHz = acHz_;
    });
}

double RfScene::inputVoltsAt(double seconds) const
{
    return locked(
        [&] { return dcVolts_ + acVolts_ * std::sqrt(2.0) * mainsShape(mainsShape_, 2.0 * kPi * acHz_ * seconds); });
}

double RfScene::humDeviationAt(double seconds) const
{
    // The amplifiers' supplies ripple at the mains frequency, whatever the wave's shape.
    return locked([&] { return humPercent_ / 2.0 * std::sin(2.0 * kPi * acHz_ * seconds); });
}

void RfScene::setLnbLoadMa(double mA)
{
    locked([&] { lnbMa_ = mA; });
}

double RfScene::lnbLoadMa() const
{
    return locked([&] { return lnbMa_; });
}

void RfScene::setOpticalPowerDbm(double dBm)
{
    locked([&] { opticalDbm_ = dBm; });
}

double RfScene::opticalPowerDbm() const
{
    return locked([&] { return opticalDbm_; });
}

double RfScene::tiltedLocked(double levelDbuV, double frequencyHz) const
{
    return levelDbuV + tiltDbPerGhz_ * (frequencyHz - tiltReferenceHz_) / 1e9;
}

RfScene::FilterPowers RfScene::inFilterLocked(double frequencyHz, double filterBandwidthHz) const
{
    const double low = frequencyHz - filterBandwidthHz / 2;
    const double high = frequencyHz + filterBandwidthHz / 2;
    auto line = [&](double f, double levelDbuV) {
        return toLinear(levelDbuV + lineResponseDb(f - frequencyHz, filterBandwidthHz));
    };
    FilterPowers p;
    p.noise = toLinear(noiseFloor_ + 10.0 * std::log10(filterBandwidthHz / kNoiseReferenceHz));
    for (const SceneCarrier& c : carriers_) {
        switch (c.kind) {
        case SceneCarrier::Kind::Analogue: {
            const double sound = c.frequencyHz + c.soundOffsetHz;
            const double vision = tiltedLocked(c.levelDbuV, c.frequencyHz);
            p.lines += line(sound, tiltedLocked(c.soundLevelDbuV, sound));
            if (!c.visionRemoved)
                p.lines += line(c.frequencyHz, vision);
            if (c.ctbDbc > SceneCarrier::kNoBeat)
                p.lines += line(c.frequencyHz, vision + c.ctbDbc);
            for (const SceneBeat& beat : c.cso)
                p.lines += line(c.frequencyHz + beat.offsetHz, vision + beat.levelDbc);
            break;
        }
        case SceneCarrier::Kind::Cw:
            p.lines += line(c.frequencyHz, tiltedLocked(c.levelDbuV, c.frequencyHz));
            break;
        case SceneCarrier::Kind::Digital:
        case SceneCarrier::Kind::Ofdm: {
            if (c.bandwidthHz <= 0)
                break;
            const double share
                = overlapHz(low, high, c.frequencyHz - c.bandwidthHz / 2, c.frequencyHz + c.bandwidthHz / 2)
                / c.bandwidthHz;
            if (share > 0)
                p.blocks += share * toLinear(tiltedLocked(c.levelDbuV, c.frequencyHz));
            break;
        }
        }
    }
    return p;
}

double RfScene::powerInFilterDbuV(double frequencyHz, double filterBandwidthHz, double envelopeGain) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const FilterPowers p = inFilterLocked(frequencyHz, filterBandwidthHz);
    return toDb(p.lines + (p.blocks + p.noise) * envelopeGain);
}

double RfScene::carrierShareInFilter(double frequencyHz, double filterBandwidthHz) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const FilterPowers p = inFilterLocked(frequencyHz, filterBandwidthHz);
    return (p.lines + p.blocks) / (p.lines + p.blocks + p.noise);
}

double RfScene::tiltDbPerGhz() const
{
    return locked([&] { return tiltDbPerGhz_; });
}

void RfScene::setDocsisPlan(const DocsisPlan& plan)
{
    locked([&] { docsisPlan_ = plan; });
}

DocsisPlan RfScene::docsisPlan() const
{
    return locked([&] { return docsisPlan_; });
}

double RfScene::totalPowerDbuV() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    double sum = toLinear(noiseFloor_ + 10.0 * std::log10((kInputHighHz - kInputLowHz) / kNoiseReferenceHz));
    for (const SceneCarrier& c : carriers_) {
        if (!c.visionRemoved)
            sum += toLinear(tiltedLocked(c.levelDbuV, c.frequencyHz));
        if (c.kind == SceneCarrier::Kind::Analogue)
            sum += toLinear(tiltedLocked(c.soundLevelDbuV, c.frequencyHz + c.soundOffsetHz));
    }
    return toDb(sum);
}

void RfScene::typicalCableNetwork(RfScene& scene)
{
    scene.clear();
    // PAL B/G, 7 MHz channels centred 114.5 to 296.5 MHz: vision 2.25 MHz below the centre,
    // sound 5.5 MHz above the vision carrier and 13 dB below it. The amplifiers' distortion:
    // a triple beat 50 dB under each vision carrier, second-order beats beside it (none
    // 1.25 MHz below, where the channel below has its sound carrier).
    for (double centre = 114.5e6; centre < 300e6; centre += 7e6) {
        scene.addAnalogue(centre - 2.25e6, 72.0, 5.5e6, 59.0, "PAL");
        scene.setDistortion(centre - 2.25e6, -50.0, {{-0.75e6, -39.0}, {0.75e6, -38.0}, {1.25e6, -37.0}});
    }
    // DVB-C 8 MHz channels centred 306 to 858 MHz, 6 dB below the vision carriers: 64-QAM
    // at 6.875 MBd up to 442 MHz, 256-QAM at 6.9 MBd above; four of them (602 to 626 MHz)
    // carry the cable modems' downstream (256-QAM, Annex A), and three near the top
    // retransmit terrestrial multiplexes.
    for (double centre = 306e6; centre < 860e6; centre += 8e6) {
        if (centre > 833e6 && centre < 851e6)
            continue;
        const bool docsis = centre > 601e6 && centre < 627e6;
        DigitalChannel qam;
        qam.modulation = centre < 443e6 ? Modulation::Qam64 : Modulation::Qam256;
        qam.symbolRateBd = centre < 443e6 ? 6875000 : 6900000;
        scene.addDigital(centre, 8e6, 66.0, docsis ? standard::kDocsis30 : standard::kDvbC, 38.0,
                         docsis ? DigitalChannel{} : qam);
    }
    // DVB-T: 8k, 64-QAM 2/3, guard 1/4.
    DigitalChannel dvbt;
    dvbt.fftSize = 8192;
    dvbt.modulation = Modulation::Qam64;
    dvbt.codeRate = "2/3";
    dvbt.guardInterval = "1/4";
    scene.addOfdm(834e6, 8e6, 66.0, standard::kDvbT, 32.0, dvbt);
    // DVB-T2: 32K, guard 1/128, two PLPs.
    DigitalChannel dvbt2;
    dvbt2.fftSize = 32768;
    dvbt2.guardInterval = "1/128";
    dvbt2.plps = {DigitalPlp{0, Modulation::Qam256, "2/3", 0}, DigitalPlp{1, Modulation::Qam16, "1/2", 0}};
    scene.addOfdm(842e6, 8e6, 66.0, standard::kDvbT2, 33.0, dvbt2);
    // ISDB-T in a 6 MHz channel: one-segment service (QPSK 2/3) and 12 segments of 64-QAM 3/4.
    DigitalChannel isdbt;
    isdbt.fftSize = 8192;
    isdbt.guardInterval = "1/8";
    isdbt.layers = {DigitalLayer{1, Modulation::Qpsk, "2/3", 2}, DigitalLayer{12, Modulation::Qam64, "3/4", 2}};
    scene.addOfdm(850e6, 6e6, 66.0, standard::kIsdbT, 31.0, isdbt);
    // Above the plan: a DVB-C2 system of one data slice with two PLPs (8 MHz at 866 MHz), and
    // a J.83 Annex B channel (256-QAM, 6 MHz at 873 MHz).
    DigitalChannel c2;
    c2.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}, DigitalPlp{2, Modulation::Qam1024, "3/4", 0}};
    scene.addOfdm(866e6, 8e6, 66.0, standard::kDvbC2, 37.0, c2);
    DigitalChannel annexB;
    annexB.modulation = Modulation::Qam256;
    scene.addDigital(873e6, 6e6, 64.0, standard::kJ83B, 36.0, annexB);
    scene.addOfdm(930e6, 96e6, 70.0, "DOCSIS31", 41.0);
    // The amplifiers' slope: +4 dB per GHz above 100 MHz.
    scene.setTilt(4.0, 100e6);
    scene.setNoiseFloor(12.0);
    scene.setHumPercent(0.8);
    // A satellite IF distribution above the cable band, on the same input (levels follow from
    // the noise floor just set): a DVB-S transponder at 1150 MHz (27.5 MBd, QPSK 3/4) and a
    // DVB-S2 one at 1450 MHz (22 MBd, 8PSK 2/3 with pilots).
    DigitalChannel dvbs;
    dvbs.modulation = Modulation::Qpsk;
    dvbs.codeRate = "3/4";
    scene.addSatellite(1150e6, 27.5e6, standard::kDvbS, 12.0, dvbs);
    DigitalChannel dvbs2;
    dvbs2.modulation = Modulation::Psk8;
    dvbs2.codeRate = "2/3";
    dvbs2.pilots = true;
    scene.addSatellite(1450e6, 22e6, standard::kDvbS2, 13.0, dvbs2);
    // A little mains picked up on the input at the tap.
    scene.setInputVoltage(0.0, 0.5, 50.0);
    scene.setOpticalPowerDbm(-2.0);
}

} // namespace platform::sim
