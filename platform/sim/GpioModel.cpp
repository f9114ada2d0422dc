#include "GpioModel.h"

#include <cstdlib>

namespace platform::sim {

int GpioModel::exportLine(int line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (line < 0)
        return -1;
    Line& l = lines_[line];
    if (l.exported)
        return -1; // EBUSY
    l = Line{};
    l.exported = true;
    return 0;
}

int GpioModel::unexportLine(int line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lines_.find(line);
    if (it == lines_.end() || !it->second.exported)
        return -1;
    it->second.exported = false;
    return 0;
}

int GpioModel::setDirection(int line, const std::string& direction)
{
    int changedTo = -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = lines_.find(line);
        if (it == lines_.end() || !it->second.exported)
            return -1; // ENOENT: no gpioN folder
        Line& l = it->second;
        if (direction == "in") {
            l.output = false;
        } else if (direction == "out" || direction == "low") {
            l.output = true;
            l.driven = 0;
            ++l.writes;
            changedTo = 0;
        } else if (direction == "high") {
            l.output = true;
            l.driven = 1;
            ++l.writes;
            changedTo = 1;
        } else {
            return -1; // EINVAL
        }
    }
    if (changedTo >= 0)
        notify(line, changedTo);
    return 0;
}

int GpioModel::setValue(int line, const std::string& value)
{
    int v;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = lines_.find(line);
        if (it == lines_.end() || !it->second.exported)
            return -1;
        Line& l = it->second;
        if (!l.output)
            return -1; // EPERM on an input
        std::string s = value;
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        if (s.empty())
            return -1;
        char* end = nullptr;
        long n = std::strtol(s.c_str(), &end, 10);
        if (*end != '\0')
            return -1; // EINVAL
        v = n != 0 ? 1 : 0;
        l.driven = v;
        ++l.writes;
    }
    notify(line, v);
    return 0;
}

int GpioModel::readValue(int line, std::string* text) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lines_.find(line);
    if (it == lines_.end() || !it->second.exported)
        return -1;
    int v;
    if (it->second.output) {
        v = it->second.driven;
    } else {
        auto e = external_.find(line);
        v = e == external_.end() ? 0 : e->second;
    }
    *text = v ? "1\n" : "0\n";
    return 0;
}

int GpioModel::readDirection(int line, std::string* text) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lines_.find(line);
    if (it == lines_.end() || !it->second.exported)
        return -1;
    *text = it->second.output ? "out\n" : "in\n";
    return 0;
}

bool GpioModel::isExported(int line) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lines_.find(line);
    return it != lines_.end() && it->second.exported;
}

bool GpioModel::isOutput(int line) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lines_.find(line);
    return it != lines_.end() && it->second.exported && it->second.output;
}

int GpioModel::level(int line) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lines_.find(line);
    if (it != lines_.end() && it->second.exported && it->second.output)
        return it->second.driven;
    auto e = external_.find(line);
    return e == external_.end() ? 0 : e->second;
}

int GpioModel::writeCount(int line) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lines_.find(line);
    return it == lines_.end() ? 0 : it->second.writes;
}

void GpioModel::setExternalLevel(int line, int level)
{
    std::lock_guard<std::mutex> lock(mutex_);
    external_[line] = level ? 1 : 0;
}

int GpioModel::addListener(Listener listener)
{
    std::lock_guard<std::mutex> lock(mutex_);
    int id = nextListener_++;
    listeners_[id] = std::move(listener);
    return id;
}

void GpioModel::removeListener(int id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    listeners_.erase(id);
}

void GpioModel::notify(int line, int value)
{
    std::vector<Listener> copy;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& kv : listeners_)
            copy.push_back(kv.second);
    }
    for (auto& l : copy)
        l(line, value);
}

} // namespace platform::sim
