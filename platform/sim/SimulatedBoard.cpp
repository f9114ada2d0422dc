#include "SimulatedBoard.h"

#include "SystemTimeCommands.h"

#include <cstdlib>

namespace platform::sim {

namespace {
const char kGpioRoot[] = "/sys/class/gpio/";

// "a", "b", "c" from the unit's quoting rules: blanks split, double quotes group.
std::string firstWord(const std::string& commandLine)
{
    size_t b = commandLine.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    size_t e = commandLine.find(' ', b);
    return commandLine.substr(b, e == std::string::npos ? std::string::npos : e - b);
}
} // namespace

SimulatedBoard::SimulatedBoard(std::unique_ptr<common::Clock> clock) : clock_(std::move(clock))
{
    if (!clock_) {
        auto v = std::make_unique<VirtualClock>();
        virtualClock_ = v.get();
        clock_ = std::move(v);
    } else {
        virtualClock_ = dynamic_cast<VirtualClock*>(clock_.get());
    }
    installDateCommand(*this);
    // What the unit's own files say before anybody changes them.
    files_["/proc/net/route"] =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
    files_["/sys/class/net/eth0/operstate"] = "up\n";
    files_["/etc/network/interfaces"] = "auto lo\niface lo inet loopback\n\nauto eth0\niface eth0 inet dhcp\n";
    files_["/etc/resolv.conf"] = "nameserver 192.168.1.1\n";
    files_["/sys/class/backlight/backlight_ldb/brightness"] = "7\n";
    files_["/sys/class/backlight/backlight_ldb/max_brightness"] = "7\n";
}

SimulatedBoard::~SimulatedBoard() = default;

void SimulatedBoard::record(const std::string& kind, const std::string& device, const std::string& text,
                            const uint8_t* bytes, size_t len, bool failed)
{
    Transaction t;
    t.timeUs = clock_->monotonicUs();
    t.kind = kind;
    t.device = device;
    t.text = text;
    if (bytes && len)
        t.bytes.assign(bytes, bytes + len);
    t.failed = failed;
    log_.append(std::move(t));
}

int SimulatedBoard::gpioFile(const std::string& path, const std::string* write, std::string* read)
{
    std::string rest = path.substr(sizeof kGpioRoot - 1);
    if (rest == "export" || rest == "unexport") {
        if (!write)
            return -1; // write-only
        char* end = nullptr;
        long line = std::strtol(write->c_str(), &end, 10);
        bool numeric = end != write->c_str() && (*end == '\0' || *end == '\n');
        const bool exporting = rest == "export";
        const int n = static_cast<int>(line);
        int rc = -1;
        if (numeric && exporting)
            rc = faults_.refuses(Device::gpio(n), kOpen) ? -1 : gpio_.exportLine(n);
        else if (numeric)
            rc = gpio_.unexportLine(n);
        record(exporting ? "gpio-export" : "gpio-unexport", numeric ? std::to_string(line) : *write, "",
               nullptr, 0, rc != 0);
        return rc;
    }
    // gpioN/attribute
    if (rest.compare(0, 4, "gpio") != 0)
        return -1;
    size_t slash = rest.find('/');
    if (slash == std::string::npos)
        return -1;
    int line = std::atoi(rest.substr(4, slash - 4).c_str());
    std::string attribute = rest.substr(slash + 1);
    int rc;
    if (attribute == "value") {
        if (write) {
            rc = gpio_.setValue(line, *write);
            record("gpio-value", std::to_string(line), *write, nullptr, 0, rc != 0);
        } else {
            rc = gpio_.readValue(line, read);
        }
    } else if (attribute == "direction") {
        if (write) {
            std::string dir = *write;
            while (!dir.empty() && dir.back() == '\n')
                dir.pop_back();
            rc = gpio_.setDirection(line, dir);
            record("gpio-direction", std::to_string(line), dir, nullptr, 0, rc != 0);
        } else {
            rc = gpio_.readDirection(line, read);
        }
    } else if (attribute == "edge" || attribute == "active_low") {
        rc = gpio_.isExported(line) ? 0 : -1;
        if (read && rc == 0)
            *read = attribute == "edge" ? "none\n" : "0\n";
    } else {
        rc = -1;
    }
    return rc;
}

int SimulatedBoard::writeFile(const std::string& path, const std::string& data)
{
    if (faults_.refuses(Device::file(path), kWrite)) {
        record("file-write", path, data, nullptr, 0, true);
        return -1;
    }
    if (path.compare(0, sizeof kGpioRoot - 1, kGpioRoot) == 0)
        return gpioFile(path, &data, nullptr);
    std::lock_guard<std::mutex> lock(mutex_);
    bool known = files_.count(path) != 0;
    // sysfs and procfs have no files of their own making.
    bool creatable = path.compare(0, 5, "/sys/") != 0 && path.compare(0, 6, "/proc/") != 0;
    if (!known && !creatable) {
        record("file-write", path, data, nullptr, 0, true);
        return -1;
    }
    files_[path] = data;
    record("file-write", path, data, nullptr, 0, false);
    return 0;
}

int SimulatedBoard::readFile(const std::string& path, std::string* data)
{
    if (path.compare(0, sizeof kGpioRoot - 1, kGpioRoot) == 0)
        return gpioFile(path, nullptr, data);
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(path);
    if (it == files_.end())
        return -1;
    *data = it->second;
    return 0;
}

bool SimulatedBoard::fileExists(const std::string& path)
{
    if (path.compare(0, sizeof kGpioRoot - 1, kGpioRoot) == 0) {
        std::string rest = path.substr(sizeof kGpioRoot - 1);
        if (rest == "export" || rest == "unexport")
            return true;
        if (rest.compare(0, 4, "gpio") == 0)
            return gpio_.isExported(std::atoi(rest.c_str() + 4));
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return files_.count(path) != 0;
}

int SimulatedBoard::spiOpen(const std::string& device)
{
    if (faults_.refuses(Device::spi(device), kOpen))
        return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    return spi_.count(device) ? 0 : -1;
}

int SimulatedBoard::spiTransfer(const std::string& device, const uint8_t* tx, uint8_t* rx, size_t len,
                                uint32_t speedHz, uint8_t bitsPerWord, uint8_t mode)
{
    (void)speedHz;
    (void)bitsPerWord;
    (void)mode;
    std::shared_ptr<SpiModel> model = faults_.refuses(Device::spi(device), kEveryAccess) ? nullptr : spiModel(device);
    int rc = model ? model->spiTransfer(tx, rx, len) : -1;
    record("spi", device, "", tx, len, rc != 0);
    return rc;
}

bool SimulatedBoard::i2cRefused(uint8_t address, unsigned access)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++i2cTransfers_;
    }
    const bool counted = faults_.i2cTransferNaks();
    return faults_.refuses(Device::i2c(address), access) || counted;
}

int SimulatedBoard::i2cWrite(uint8_t address, const uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> bus(i2cBus_);
    bool nak = i2cRefused(address, kWrite);
    std::shared_ptr<I2cModel> model = i2cModel(address);
    int rc = (nak || !model) ? -1 : model->i2cWrite(data, len);
    record("i2c-write", Device::i2c(address).name, "", data, len, rc != 0);
    return rc;
}

int SimulatedBoard::i2cRead(uint8_t address, uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> bus(i2cBus_);
    bool nak = i2cRefused(address, kRead);
    std::shared_ptr<I2cModel> model = i2cModel(address);
    int rc = (nak || !model) ? -1 : model->i2cRead(data, len);
    if (rc != 0) {
        // A failed read leaves the buffer as garbage on the unit; make that visible.
        for (size_t i = 0; i < len; ++i)
            data[i] = 0xA5;
    }
    record("i2c-read", Device::i2c(address).name, "", rc == 0 ? data : nullptr, rc == 0 ? len : 0, rc != 0);
    return rc;
}

std::string SimulatedBoard::serialDevicePath(const std::string& unitDevice)
{
    if (faults_.refuses(Device::serial(unitDevice), kOpen))
        return "/nonexistent" + unitDevice;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = serial_.find(unitDevice);
    return it == serial_.end() ? "/nonexistent" + unitDevice : it->second;
}

void SimulatedBoard::serialOpened(const std::string& unitDevice, int baud)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        serialOpenBaud_[unitDevice] = baud;
        openSerialLines_ = static_cast<int>(serialOpenBaud_.size());
    }
    record("serial-open", unitDevice, std::to_string(baud), nullptr, 0, false);
}

void SimulatedBoard::serialClosed(const std::string& unitDevice)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        serialOpenBaud_.erase(unitDevice);
        openSerialLines_ = static_cast<int>(serialOpenBaud_.size());
    }
    record("serial-close", unitDevice, "", nullptr, 0, false);
}

bool SimulatedBoard::serialIsOpen(const std::string& unitDevice) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return serialOpenBaud_.count(unitDevice) != 0;
}

int SimulatedBoard::serialBaud(const std::string& unitDevice) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = serialOpenBaud_.find(unitDevice);
    return it == serialOpenBaud_.end() ? 0 : it->second;
}

CommandResult SimulatedBoard::runShell(const std::string& commandLine)
{
    CommandResult r;
    uint64_t now = clock_->monotonicUs();
    shell_.answer(commandLine, true, now, &r.output, &r.exitCode);
    record("shell", commandLine, "", nullptr, 0, false);
    // system() waits for the command, however long it takes.
    if (uint64_t runMs = shell_.runTimeMs(commandLine))
        clock_->sleepMs(runMs);
    return r;
}

CommandResult SimulatedBoard::launchProcess(const std::string& commandLine, int timeoutMs)
{
    CommandResult r;
    shell_.answer(commandLine, false, clock_->monotonicUs(), &r.output, &r.exitCode);
    return runFor(commandLine, timeoutMs, "launch", r);
}

CommandResult SimulatedBoard::runProgram(const std::vector<std::string>& argv, int timeoutMs)
{
    CommandResult r;
    shell_.answerProgram(argv, clock_->monotonicUs(), &r.output, &r.exitCode);
    return runFor(ShellRecorder::joined(argv), timeoutMs, "program", r);
}

// A started command takes its run time (board time) unless the time-out kills it first.
CommandResult SimulatedBoard::runFor(const std::string& commandLine, int timeoutMs, const char* kind, CommandResult r)
{
    uint64_t runMs = shell_.runTimeMs(commandLine);
    bool killed = timeoutMs >= 0 && runMs > static_cast<uint64_t>(timeoutMs);
    record(kind, commandLine, killed ? "killed after time-out" : firstWord(commandLine), nullptr, 0, killed);
    if (killed) {
        clock_->sleepMs(static_cast<uint64_t>(timeoutMs));
        r.output.clear();
        r.exitCode = -1;
        r.timedOut = true;
    } else if (runMs) {
        clock_->sleepMs(runMs);
    }
    return r;
}

void SimulatedBoard::attachI2c(uint8_t address7, std::shared_ptr<I2cModel> model)
{
    if (model)
        model->attached(&faults_, Device::i2c(address7));
    std::lock_guard<std::mutex> lock(mutex_);
    i2c_[address7] = std::move(model);
}

void SimulatedBoard::attachSpi(const std::string& device, std::shared_ptr<SpiModel> model)
{
    if (model)
        model->attached(&faults_, Device::spi(device));
    std::lock_guard<std::mutex> lock(mutex_);
    spi_[device] = std::move(model);
}

std::shared_ptr<I2cModel> SimulatedBoard::i2cModel(uint8_t address7) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = i2c_.find(address7);
    return it == i2c_.end() ? nullptr : it->second;
}

std::shared_ptr<SpiModel> SimulatedBoard::spiModel(const std::string& device) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = spi_.find(device);
    return it == spi_.end() ? nullptr : it->second;
}

void SimulatedBoard::attachSerial(const std::string& unitDevice, const std::string& slavePath)
{
    std::lock_guard<std::mutex> lock(mutex_);
    serial_[unitDevice] = slavePath;
}

void SimulatedBoard::keep(std::shared_ptr<void> part)
{
    std::lock_guard<std::mutex> lock(mutex_);
    kept_.push_back(std::move(part));
}

void SimulatedBoard::setFile(const std::string& path, const std::string& content)
{
    std::lock_guard<std::mutex> lock(mutex_);
    files_[path] = content;
}

std::string SimulatedBoard::file(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(path);
    return it == files_.end() ? std::string() : it->second;
}

int SimulatedBoard::i2cTransferCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return i2cTransfers_;
}

} // namespace platform::sim
