#include "ModemTestSupport.h"

#include "CableModemModel.h"
#include "DefaultBoard.h"
#include "FrontPanel.h"
#include "store/screensvariables.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace modemtest {

int count(const Commands& commands, const std::string& command)
{
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

Commands startingWith(const Commands& commands, const std::string& prefix)
{
    Commands out;
    std::copy_if(commands.begin(), commands.end(), std::back_inserter(out),
                 [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    return out;
}

Commands from(const Commands& commands, const std::string& first, size_t n)
{
    const auto at = std::find(commands.begin(), commands.end(), first);
    return Commands(at, at + std::min<size_t>(n, commands.end() - at));
}

int tenthsOfPrinted(double dbmv)
{
    const double printed = std::round(dbmv * 10) / 10;
    return static_cast<int>(printed * 10 + (printed > 0 ? 1e-6 : -1e-6));
}

MesuraCM* passingEngine()
{
    MesuraCM* m = MesuraCM::getInstance();
    m->startPass();
    return m;
}

void setSettings(const QVariantMap& values)
{
    QVariantMap settings = ScreensVariables::getInstance()->getScreensVariables();
    for (auto it = values.begin(); it != values.end(); ++it)
        settings[it.key()] = it.value();
    ScreensVariables::getInstance()->setScreensVariables(settings);
}

std::shared_ptr<platform::sim::CableModemModel> installModem(platform::sim::SimulatedBoard& board, int hardwareModel,
                                                             std::shared_ptr<const platform::sim::RfScene> scene)
{
    platform::sim::DefaultBoardOptions options;
    options.hardwareModel = hardwareModel;
    platform::sim::installFrontPanel(board, options);
    return platform::sim::installCableModem(board, options, scene);
}

void silence(platform::sim::SimulatedBoard& board, bool on)
{
    board.faults().fail(platform::sim::CableModemModel::device(), platform::sim::kRead, on);
}

void stickState(platform::sim::SimulatedBoard& board, const std::string& word)
{
    const int index = platform::sim::modemStateWordIndex(word);
    ASSERT_GE(index, 0) << word;
    board.faults().stickRegister(platform::sim::CableModemModel::device(), platform::sim::kModemStateRegister,
                                 static_cast<uint32_t>(index));
}

void failModem(platform::sim::SimulatedBoard& board, unsigned modemRegister, bool on)
{
    board.faults().failRegister(platform::sim::CableModemModel::device(), modemRegister, on);
}

std::vector<std::pair<std::string, uint64_t>> lineWrites(platform::sim::SimulatedBoard& board)
{
    std::vector<std::pair<std::string, uint64_t>> out;
    for (const auto& t : board.log().entries()) {
        if (t.kind == "gpio-value")
            out.emplace_back(t.device + "=" + t.text, t.timeUs / 1000);
        else if (t.kind == "serial-open" || t.kind == "serial-close")
            out.emplace_back(t.kind == "serial-open" ? "open " + t.text : "close", t.timeUs / 1000);
    }
    return out;
}

std::vector<std::string> lineWriteTexts(platform::sim::SimulatedBoard& board)
{
    std::vector<std::string> out;
    for (const auto& w : lineWrites(board))
        out.push_back(w.first);
    return out;
}

uint64_t Lap::operator()()
{
    const uint64_t ms = clock_.monotonicMs() - last_;
    last_ += ms;
    return ms;
}

PortFixture::PortFixture(int hardwareModel, bool attachTerminal)
{
    platform::sim::DefaultBoardOptions options;
    options.hardwareModel = hardwareModel;
    platform::sim::installFrontPanel(*board_, options);
    if (attachTerminal)
        board_->attachSerial(portName, terminal_.slavePath());
    port_ = std::make_unique<SerialPort>(&mutex, &condition);
    setInitModem(port_.get());
}

PortFixture::~PortFixture()
{
    forgetSerialPortCableModem(port_.get());
    port_.reset();
}

std::string PortFixture::written(int timeoutMs)
{
    std::string out;
    while (terminal_.readMaster(&out, timeoutMs) > 0) {
    }
    return out;
}

ModemLink::ModemLink(int hardwareModel, std::shared_ptr<const platform::sim::RfScene> scene)
{
    modem_ = installModem(*board_, hardwareModel, scene);
    port_ = std::make_unique<SerialPort>(&mutex, &condition);
    handler_ = std::make_unique<HandlerCableModem>(&mutex, &condition);
    setInitModem(port_.get());
    getStringBufferTrames();
    QObject::connect(&pumpTimer_, &QTimer::timeout, [this] { pump(); });
    pumpTimer_.setInterval(0);
}

ModemLink::~ModemLink()
{
    pumpTimer_.stop();
    forgetSerialPortCableModem(port_.get());
    port_.reset();
}

void ModemLink::powerAndBoot()
{
    power_ON_CableModem();
    clock().advanceMs(3000);
    pump();
}

void ModemLink::pump()
{
    modem_->settle();
    while (port_->takeFrame())
        handler_->rellenar();
}

bool ModemLink::feed(const std::string& bytes)
{
    if (!modem_->say(bytes) || !port_->takeFrame())
        return false;
    handler_->rellenar();
    return true;
}

int ModemLink::runSteps(const std::function<int()>& step, int maxCalls, int busy)
{
    int r = busy;
    for (int i = 0; i < maxCalls && r == busy; ++i) {
        r = step();
        pump();
        if (r == busy)
            clock().advanceMs(100);
    }
    return r;
}

EngineSignals::EngineSignals()
{
    MesuraCM* e = MesuraCM::getInstance();
    auto to = [](auto* list) { return [list](const auto& value) { list->append(value); }; };
    connections_ = {
        QObject::connect(e, &MesuraCM::phyChanged, to(&phy)),
        QObject::connect(e, &MesuraCM::phy_3_0_Changed, to(&phy31)),
        QObject::connect(e, &MesuraCM::ipCableModemChanged, to(&ip)),
        QObject::connect(e, &MesuraCM::cm_information_mac, to(&information)),
        QObject::connect(e, &MesuraCM::s_send_dades_31, to(&dades31)),
        QObject::connect(e, &MesuraCM::s_send_dades_iq, to(&dadesIq)),
        QObject::connect(e, &MesuraCM::upsChanged, to(&ups)),
        QObject::connect(e, &MesuraCM::upsOFDMChanged_31, to(&upsOfdm31)),
        QObject::connect(e, &MesuraCM::upsBondingChanged_31, to(&upsBonding31)),
        QObject::connect(e, &MesuraCM::downOFDMChanged_31, to(&downOfdm31)),
        QObject::connect(e, &MesuraCM::cm_status_information, to(&status)),
        QObject::connect(e, &MesuraCM::ping_UGS_Changed, to(&pings)),
        QObject::connect(e, &MesuraCM::node_IPTV_Changed, to(&hops)),
        QObject::connect(e, &MesuraCM::restartMeasurements, [this] { ++restarts; }),
        QObject::connect(e, &MesuraCM::modemConfigurat, [this] { ++configured; }),
    };
}

EngineSignals::~EngineSignals()
{
    for (const QMetaObject::Connection& c : connections_)
        QObject::disconnect(c);
}

void EngineSignals::clear()
{
    for (auto* maps : {&phy, &phy31, &ip, &information, &dades31, &dadesIq, &pings})
        maps->clear();
    for (auto* lists : {&ups, &upsOfdm31, &upsBonding31, &downOfdm31, &hops})
        lists->clear();
    status.clear();
    restarts = configured = 0;
}

StatusTrail::StatusTrail()
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (trail.empty() || trail.back() != GetModemStatus())
            trail.push_back(GetModemStatus());
    });
    timer_.start(0);
}

bool StatusTrail::contains(int status) const { return std::find(trail.begin(), trail.end(), status) != trail.end(); }

LinkedModem::LinkedModem(int hardwareModel, std::shared_ptr<platform::sim::RfScene> givenScene, uint64_t registeringMs,
                         const std::string& lineEnd)
    : scene(givenScene ? givenScene : std::make_shared<platform::sim::RfScene>()), link(hardwareModel, scene),
      engine(MesuraCM::getInstance()), lap(link.clock())
{
    if (!givenScene)
        platform::sim::RfScene::typicalCableNetwork(*scene);
    link.modem().setLineEnd(lineEnd);
    link.setAutoPump(true);
    link.powerAndBoot();
    link.modem().setMenu(true);
    SetModemStatusPower(MODEM_STATUS_POWER_ON);
    passingEngine()->sintonizarTuner30(0);
    link.clock().advanceMs(5000 + registeringMs);
    link.pump();
    getStringBufferTrames();
    link.modem().clearCommands();
    emitted.clear();
    lap();
    stopTimer_.setInterval(0);
}

void LinkedModem::stopAt(uint64_t ms)
{
    QObject::disconnect(&stopTimer_, nullptr, nullptr, nullptr);
    QObject::connect(&stopTimer_, &QTimer::timeout, [this, ms] {
        if (now() >= ms) {
            MesuraCM::getInstance()->aturar();
            stopTimer_.stop();
        }
    });
    stopTimer_.start();
}

void LinkedModem::run(const std::function<void()>& test, uint64_t stopAfterMs)
{
    clearCommands();
    emitted.clear();
    stopTimer_.stop();
    if (stopAfterMs > 0)
        stopAt(now() + stopAfterMs);
    lap();
    test();
}

int LinkedModem::until(const std::function<int()>& step, std::initializer_list<int> results, int maxCalls)
{
    int r = 100;
    for (int i = 0; i < maxCalls; ++i) {
        r = step();
        if (std::find(results.begin(), results.end(), r) != results.end())
            return r;
    }
    return r;
}

} // namespace modemtest
