#include "RfTestBench.h"

#include "rf/frontEndSetup.h"

namespace rftest {

RfBench::RfBench(bool init)
{
    if (init)
        setInitMesuraRF(&lo, &adc);
    clearLog();
}

std::vector<std::string> RfBench::lineWrites() const
{
    std::vector<std::string> out;
    for (const auto& t : const_cast<testsupport::ScopedBoard&>(board)->log().entries("gpio-value"))
        out.push_back(t.device + "=" + t.text);
    return out;
}

std::vector<std::vector<uint8_t>> RfBench::spiWrites(const std::string& node) const
{
    std::vector<std::vector<uint8_t>> out;
    for (const auto& t : const_cast<testsupport::ScopedBoard&>(board)->log().entries("spi"))
        if (t.device == node)
            out.push_back(t.bytes);
    return out;
}

} // namespace rftest
