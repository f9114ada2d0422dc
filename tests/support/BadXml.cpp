#include "BadXml.h"

namespace testsupport {

QByteArray deeplyNested(const QString& root, int levels)
{
    const QByteArray r = root.toLatin1();
    QByteArray xml = "<?xml version=\"1.0\"?>\n<" + r + ">";
    xml.reserve(xml.size() + levels * 7 + r.size() + 3);
    for (int i = 0; i < levels; ++i)
        xml += "<a>";
    for (int i = 0; i < levels; ++i)
        xml += "</a>";
    return xml + "</" + r + ">\n";
}

QByteArray wellFormedOfSize(const QString& root, int size)
{
    const QByteArray r = root.toLatin1();
    QByteArray xml = "<?xml version=\"1.0\"?>\n<" + r + ">";
    const QByteArray end = "</" + r + ">\n";
    return xml + QByteArray(size - xml.size() - end.size(), ' ') + end;
}

std::vector<BadXml> damagedFiles(const QString& root)
{
    constexpr int kBeyondTheBound = 4 * 1024 * 1024 + 1; // the store reads 4 MiB whole at most
    const QByteArray r = root.toLatin1();
    QByteArray noise;
    unsigned x = 12345;
    for (int i = 0; i < 512; ++i) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>(x >> 16);
    }
    return {
        {"nested 25000 levels", deeplyNested(root)},
        {"cut short", "<?xml version=\"1.0\"?>\n<" + r + ">\n  <A><B>1</B></A>\n  <C"},
        {"random bytes", noise},
        {"not XML", "serial=123\nslope=0.2\n"},
        {"empty", ""},
        {"another root", "<?xml version=\"1.0\"?>\n<SOMETHING_ELSE/>\n"},
        {"well-formed, one byte beyond the size the instrument reads", wellFormedOfSize(root, kBeyondTheBound)},
        {"an expanding entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE " + r + " [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>\n<"
             + r + ">&b;</" + r + ">\n"},
    };
}

} // namespace testsupport
