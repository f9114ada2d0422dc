// The board's GPIO lines with the sysfs semantics the instrument relies on: a line
// exists once exported, exporting it again or touching an unexported line fails, an
// input refuses a value. Inputs (keys, straps, charger) follow a level the test or a
// device model sets; outputs are observable and listeners hear every change.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform::sim {

class GpioModel {
public:
    using Listener = std::function<void(int line, int value)>;

    // sysfs operations; 0 on success, -1 where the kernel would refuse.
    int exportLine(int line);
    int unexportLine(int line);
    int setDirection(int line, const std::string& direction);
    int setValue(int line, const std::string& value);
    int readValue(int line, std::string* text) const;
    int readDirection(int line, std::string* text) const;

    bool isExported(int line) const;
    bool isOutput(int line) const;
    // The level on the pin: the driven value of an output, the external level of an input.
    int level(int line) const;
    // Number of value writes (explicit or through "high"/"low") a line has had.
    int writeCount(int line) const;

    // The world outside drives an input (a pressed key reads 0 or 1 as wired).
    void setExternalLevel(int line, int level);

    int addListener(Listener listener);
    void removeListener(int id);

private:
    struct Line {
        bool exported = false;
        bool output = false;
        int driven = 0;
        int writes = 0;
    };
    void notify(int line, int value);

    mutable std::mutex mutex_;
    std::map<int, Line> lines_;
    std::map<int, int> external_;
    std::map<int, Listener> listeners_;
    int nextListener_ = 1;
};

} // namespace platform::sim
