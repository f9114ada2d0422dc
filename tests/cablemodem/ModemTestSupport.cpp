#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"

#include <QElapsedTimer>

namespace modemtest {

MesuraCM* passingEngine()
{
    MesuraCM* m = MesuraCM::getInstance();
    m->startPass();
    return m;
}

std::shared_ptr<platform::sim::CableModemModel> installModem(platform::sim::SimulatedBoard& board, int hardwareModel,
                                                             std::shared_ptr<const platform::sim::RfScene> scene)
{
    platform::sim::DefaultBoardOptions options;
    options.hardwareModel = hardwareModel;
    platform::sim::installFrontPanel(board, options);
    return platform::sim::installCableModem(board, options, scene);
}

std::vector<LineWrite> lineWrites(platform::sim::SimulatedBoard& board)
{
    std::vector<LineWrite> out;
    for (const auto& t : board.log().entries()) {
        if (t.kind == "gpio-value")
            out.push_back({t.device + "=" + t.text, t.timeUs / 1000});
        else if (t.kind == "serial-open")
            out.push_back({"open " + t.text, t.timeUs / 1000});
        else if (t.kind == "serial-close")
            out.push_back({"close", t.timeUs / 1000});
    }
    return out;
}

std::vector<std::string> lineWriteTexts(platform::sim::SimulatedBoard& board)
{
    std::vector<std::string> out;
    for (const auto& w : lineWrites(board))
        out.push_back(w.what);
    return out;
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

} // namespace modemtest

namespace modemtest {

ModemLink::ModemLink(int hardwareModel)
{
    modem_ = installModem(*board_, hardwareModel);
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

void ModemLink::setAutoPump(bool on)
{
    if (on)
        pumpTimer_.start();
    else
        pumpTimer_.stop();
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

int ModemLink::pumpLive(int realMs)
{
    int frames = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < realMs) {
        if (port_->takeFrame()) {
            handler_->rellenar();
            ++frames;
        }
    }
    return frames;
}

} // namespace modemtest
