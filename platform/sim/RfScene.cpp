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

void RfScene::setInputVoltage(double dcVolts, double acVoltsPeakToPeak, double acHz)
{
    locked([&] {
        dcVolts_ = dcVolts;
        acVolts_ = acVoltsPeakToPeak;
        acHz_ = acHz;
    });
}

void RfScene::inputVoltage(double* dcVolts, double* acVoltsPeakToPeak, double* acHz) const
{
    locked([&] {
        *dcVolts = dcVolts_;
        *acVoltsPeakToPeak = acVolts_;
        *acHz = acHz_;
    });
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

double RfScene::powerInFilterDbuV(double frequencyHz, double filterBandwidthHz) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const double low = frequencyHz - filterBandwidthHz / 2;
    const double high = frequencyHz + filterBandwidthHz / 2;
    double sum = toLinear(noiseFloor_ + 10.0 * std::log10(filterBandwidthHz / kNoiseReferenceHz));
    for (const SceneCarrier& c : carriers_) {
        switch (c.kind) {
        case SceneCarrier::Kind::Analogue: {
            const double sound = c.frequencyHz + c.soundOffsetHz;
            sum += toLinear(
                tiltedLocked(c.soundLevelDbuV, sound) + lineResponseDb(sound - frequencyHz, filterBandwidthHz));
            [[fallthrough]];
        }
        case SceneCarrier::Kind::Cw:
            sum += toLinear(tiltedLocked(c.levelDbuV, c.frequencyHz)
                + lineResponseDb(c.frequencyHz - frequencyHz, filterBandwidthHz));
            break;
        case SceneCarrier::Kind::Digital:
        case SceneCarrier::Kind::Ofdm: {
            if (c.bandwidthHz <= 0)
                break;
            const double share
                = overlapHz(low, high, c.frequencyHz - c.bandwidthHz / 2, c.frequencyHz + c.bandwidthHz / 2)
                / c.bandwidthHz;
            if (share > 0)
                sum += share * toLinear(tiltedLocked(c.levelDbuV, c.frequencyHz));
            break;
        }
        }
    }
    return toDb(sum);
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
    // sound 5.5 MHz above the vision carrier and 13 dB below it.
    for (double centre = 114.5e6; centre < 300e6; centre += 7e6)
        scene.addAnalogue(centre - 2.25e6, 72.0, 5.5e6, 59.0, "PAL");
    // DVB-C 8 MHz channels centred 306 to 858 MHz, 6 dB below the vision carriers; four of
    // them (602 to 626 MHz) carry the cable modems' downstream (256-QAM, Annex A).
    for (double centre = 306e6; centre < 860e6; centre += 8e6) {
        const bool docsis = centre > 601e6 && centre < 627e6;
        scene.addDigital(centre, 8e6, 66.0, docsis ? "DOCSIS30" : "DVB-C", 38.0);
    }
    scene.addOfdm(930e6, 96e6, 70.0, "DOCSIS31", 41.0);
    // The amplifiers' slope: +4 dB per GHz above 100 MHz.
    scene.setTilt(4.0, 100e6);
    scene.setNoiseFloor(12.0);
    scene.setHumPercent(0.8);
    scene.setOpticalPowerDbm(-2.0);
}

} // namespace platform::sim
