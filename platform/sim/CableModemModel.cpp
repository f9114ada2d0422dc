#include "CableModemModel.h"

#include "SimulatedBoard.h"

#include "common/BoardWiring.h"
#include "common/SignalSafeIo.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <poll.h>
#include <sstream>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform::sim {

namespace {
// Longer than the instrument's 500 us burst gap, short enough to keep tests quick.
constexpr auto kBurstGap = std::chrono::milliseconds(3);
constexpr char kEndOfText = '\x03';

const char kBootText[] =
    "U-Boot 2015.04 (cable modem)\n"
    "Starting kernel ...\n"
    "pcd: Rule HT_APP_START: Success.\n"
    "pcd: Rule HT_APP_LASTRULE: Success.\n";
} // namespace

CableModemModel::CableModemModel(SimulatedBoard& board, const CableModemOptions& options)
    : board_(board), options_(options)
{
    session_.autoStart = options.autoStart;
    session_.docsis31 = options.docsis31;
    session_.faults = &board_.faults();
    session_.device = device();
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    listenerId_ = board_.gpio().addListener([this](int line, int value) { onLine(line, value); });
    if (VirtualClock* clock = board_.virtualClock())
        peerId_ = clock->attachPeer({[this] { return busy(); }, [this] { wake(); }});
    thread_ = std::thread([this] { run(); });
}

CableModemModel::~CableModemModel()
{
    if (VirtualClock* clock = board_.virtualClock())
        clock->detachPeer(peerId_);
    board_.gpio().removeListener(listenerId_);
    running_ = false;
    wake();
    thread_.join();
    ::close(wakeFd_);
}

void CableModemModel::wake()
{
    const uint64_t one = 1;
    if (::write(wakeFd_, &one, sizeof one) < 0) {
        // Already signalled to the limit: the thread wakes anyway.
    }
}

bool CableModemModel::busy() const
{
    if (working_ || owesOutput_)
        return true;
    struct pollfd p = {terminal_.masterFd(), POLLIN, 0};
    if (common::retryInterrupted(::poll, &p, 1, 0) > 0 && (p.revents & POLLIN))
        return true; // sent to the modem and not taken in yet
    // Scaled time runs on by itself: there the answer also counts until the instrument has
    // read it off its open line.
    const VirtualClock* clock = board_.virtualClock();
    return clock && clock->scale() > 0.0 && board_.anySerialOpen() && terminal_.unreadBySlave() > 0;
}

Device CableModemModel::device() { return Device::serial(wiring::kModemSerialDevice); }

uint64_t CableModemModel::nowMs() const { return board_.clock().monotonicMs(); }

void CableModemModel::onLine(int line, int value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const bool wasRunning = supplyOn_ && !inReset_;
    if (line == wiring::gpio::ON_MDM)
        supplyOn_ = value != 0;
    else if (line == wiring::gpio::CM_RESET)
        inReset_ = value != 0;
    else
        return;
    const bool running = supplyOn_ && !inReset_;
    if (running && !wasRunning) {
        booting_ = true;
        bootAtMs_ = nowMs() + options_.bootMs;
    } else if (!running && wasRunning) {
        booting_ = false;
        booted_ = false;
        inputLine_.clear();
        pendingOutput_.clear();
        owesOutput_ = false;
    }
    wake();
}

void CableModemModel::checkBoot()
{
    if (!booting_ || nowMs() < bootAtMs_)
        return;
    booting_ = false;
    booted_ = true;
    session_.nowMs = nowMs();
    session_.menu = session_.autoStart;
    session_.subMenu.clear();
    session_.rebootRequested = false;
    session_.job = ModemJob();
    // The ranging-only and no-registration modes last until the modem restarts: it boots
    // into a full registration, as after any power-up.
    session_.rangeMode = session_.dhcpMode = session_.registerMode = 1;
    resetTransmitterAtBoot(session_);
    session_.startSync(session_.tunedHz);
    queueOutput(kBootText + std::string(session_.menu ? "CableModemCLI\n" : "") + prompt());
}

std::string CableModemModel::prompt() const
{
    if (!session_.menu)
        return "#";
    return session_.subMenu.empty() ? "mainMenu>" : session_.subMenu + ">";
}

std::string CableModemModel::withLineEnds(const std::string& text) const
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += options_.lineEnd;
        else
            out += c;
    }
    return out;
}

void CableModemModel::queueOutput(const std::string& text)
{
    // A silenced modem still hears and acts; only its answers are lost.
    if (board_.faults().refuses(device(), kRead) || text.empty())
        return;
    std::string out = withLineEnds(text);
    if (session_.failing(kModemLineRegister)) {
        for (char& c : out)
            c = static_cast<char>('a' + static_cast<unsigned char>(c) % 26);
    }
    pendingOutput_.push_back(out);
    owesOutput_ = true;
}

void CableModemModel::handleCommand(const std::string& line)
{
    commands_.push_back(line);
    session_.nowMs = nowMs();
    std::istringstream words(line);
    std::string command;
    words >> command;
    ModemArgs args;
    for (std::string w; words >> w;)
        args.push_back(w);
    std::string reply;
    if (const ModemCommandRule* rule = findModemCommand(command, session_))
        reply = rule->reply(session_, args);
    else
        reply = (session_.menu ? "" : "sh: ") + command + ": not found\n";
    if (session_.rebootRequested) {
        // The modem says so and goes quiet until its boot ends.
        queueOutput("\n" + reply);
        session_.rebootRequested = false;
        booted_ = false;
        booting_ = true;
        bootAtMs_ = nowMs() + options_.bootMs;
        return;
    }
    // A command that keeps printing gives its prompt after its last line.
    queueOutput("\n" + reply + (session_.job.running() ? "" : prompt()));
}

void CableModemModel::releaseDueOutput()
{
    if (!booted_ || !session_.job.due(nowMs()))
        return;
    const std::string text = session_.job.takeDue(nowMs());
    queueOutput(text + (session_.job.running() ? "" : prompt()));
}

void CableModemModel::handleInput(const std::string& bytes)
{
    if (board_.faults().refuses(device(), kWrite))
        return;
    for (char c : bytes) {
        if (!booted_)
            continue;
        // ETX interrupts a running command and drops the line typed so far; anything else
        // waits for the running command to end.
        if (c == kEndOfText) {
            commands_.push_back("^C");
            inputLine_.clear();
            session_.job = ModemJob();
            queueOutput("^C\n" + prompt());
            continue;
        }
        if (session_.job.running())
            continue;
        if (echo_ && c != '\r')
            queueOutput(std::string(1, c));
        if (c == '\r') {
            const std::string line = inputLine_;
            inputLine_.clear();
            handleCommand(line);
        } else if (c != '\n') {
            inputLine_ += c;
        }
    }
}

// The thread sleeps in poll() until there is something to do: the simulated board costs
// nothing while the modem is off or idle.
void CableModemModel::run()
{
    while (running_) {
        bool active = false;
        working_ = true;
        ++passes_;
        {
            // Held while input is taken in and the answer written, so settle() sees
            // either nothing begun or everything done.
            std::lock_guard<std::mutex> io(ioMutex_);
            std::string in;
            const int got = terminal_.readMaster(&in, 0);
            std::vector<std::string> out;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                checkBoot();
                releaseDueOutput();
                if (got > 0)
                    handleInput(in);
                out.swap(pendingOutput_);
                owesOutput_ = false;
            }
            for (size_t i = 0; i < out.size(); ++i) {
                if (i > 0)
                    std::this_thread::sleep_for(kBurstGap);
                terminal_.writeMaster(out[i]);
            }
            if (!out.empty())
                std::this_thread::sleep_for(kBurstGap); // the last burst ends before the next begins
            active = got > 0 || !out.empty();
        }
        working_ = false;
        if (!active)
            waitForWork();
    }
}

bool CableModemModel::say(const std::string& bytes)
{
    std::lock_guard<std::mutex> io(ioMutex_);
    const int expected = terminal_.unreadBySlave() + static_cast<int>(bytes.size());
    terminal_.writeMaster(bytes);
    // The kernel hands the bytes on to the slave's side in its own time.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (terminal_.unreadBySlave() < expected) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void CableModemModel::waitForWork()
{
    int timeoutMs = -1; // its deadlines: the end of its boot, the next line of a running command
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!pendingOutput_.empty())
            return;
        std::vector<uint64_t> deadlines;
        if (booting_)
            deadlines.push_back(bootAtMs_);
        if (booted_ && session_.job.running())
            deadlines.push_back(session_.job.lines.front().atMs);
        for (uint64_t deadline : deadlines) {
            const int ms = realMsUntil(deadline);
            if (ms >= 0 && (timeoutMs < 0 || ms < timeoutMs))
                timeoutMs = ms;
        }
    }
    struct pollfd fds[2] = {{terminal_.masterFd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    sleepsUntilWoken_ = timeoutMs < 0;
    const int ready = ::poll(fds, 2, timeoutMs);
    sleepsUntilWoken_ = false;
    if (ready > 0 && (fds[1].revents & POLLIN)) {
        uint64_t count = 0;
        if (::read(wakeFd_, &count, sizeof count) < 0) {
            // Nothing to take: another pass looks anyway.
        }
    }
}

// Real milliseconds until board time reaches boardMs; -1 (until woken) where board time
// moves only when someone sleeps, since that sleep wakes the modem.
int CableModemModel::realMsUntil(uint64_t boardMs) const
{
    const uint64_t now = nowMs();
    if (now >= boardMs)
        return 0;
    const VirtualClock* clock = board_.virtualClock();
    double realMs = static_cast<double>(boardMs - now);
    if (clock) {
        if (clock->scale() <= 0.0)
            return -1;
        realMs /= clock->scale();
    }
    return static_cast<int>(std::min<double>(std::ceil(realMs), INT_MAX));
}

bool CableModemModel::settle(int timeoutMs)
{
    wake();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> io(ioMutex_);
            std::lock_guard<std::mutex> lock(mutex_);
            struct pollfd p = {terminal_.masterFd(), POLLIN, 0};
            const bool inputWaiting = common::retryInterrupted(::poll, &p, 1, 0) > 0 && (p.revents & POLLIN);
            const bool bootDue = booting_ && nowMs() >= bootAtMs_;
            const bool outputDue = booted_ && session_.job.due(nowMs());
            if (!inputWaiting && !bootDue && !outputDue && pendingOutput_.empty())
                return true;
        }
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

bool CableModemModel::powered() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return supplyOn_ && !inReset_;
}

bool CableModemModel::booted() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return booted_;
}

bool CableModemModel::inMenu() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return session_.menu;
}

std::string CableModemModel::registrationWord() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    ModemSession s = session_;
    s.nowMs = nowMs();
    return s.registrationWord();
}

std::vector<std::string> CableModemModel::commands() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

void CableModemModel::clearCommands()
{
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.clear();
}

#define MODEM_KNOB(setter, type, assignment)             \
    void CableModemModel::setter(type value)            \
    {                                                    \
        std::lock_guard<std::mutex> lock(mutex_);        \
        assignment = value;                              \
    }
MODEM_KNOB(setEcho, bool, echo_)
MODEM_KNOB(setLineEnd, const std::string&, options_.lineEnd)
MODEM_KNOB(setAutoStart, bool, session_.autoStart)
MODEM_KNOB(setMenu, bool, session_.menu)
MODEM_KNOB(setStateStepMs, uint64_t, session_.stateStepMs)
MODEM_KNOB(setNetwork, const ModemNetwork&, session_.network)
#undef MODEM_KNOB

void CableModemModel::setPath(const ModemPath& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    session_.path = path;
}

ModemFlows CableModemModel::flows() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return session_.flows;
}

ModemUpstreamBurst CableModemModel::upstreamBurst() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return supplyOn_ && !inReset_ && booted_ ? modemUpstreamBurst(session_) : ModemUpstreamBurst();
}

void CableModemModel::sendRaw(const std::string& text)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queueOutput(text);
    }
    wake();
}

} // namespace platform::sim
