// XML files as a careless user or an attacker leaves them: nested far deeper than any file
// of the instrument, cut short, random bytes, plain text, a foreign root, larger than any
// file of the instrument, a document type with an entity that expands without bound.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace testsupport {

// <root><a><a>...</a></a></root> with `levels` elements below the root.
QByteArray deeplyNested(const QString& root, int levels = 25000);

// <root>, blanks, </root>: a well-formed file of exactly `size` bytes.
QByteArray wellFormedOfSize(const QString& root, int size);

struct BadXml {
    const char* name;
    QByteArray content;
};
// Every kind of damaged file, each one of root `root` where it has a root.
std::vector<BadXml> damagedFiles(const QString& root);

} // namespace testsupport
