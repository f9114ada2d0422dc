// The folders stand on each other in one direction: a folder includes, and its library
// links, only what ranks below it (or its own library). The table is the one statement of
// the layering; the README's folder map repeats it in words.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct Layer {
    const char* folder;
    int rank;
    const char* library;
    bool startUpOnly; // a board backend: only start-up, tests and benchmarks reach it
};

constexpr Layer kLayers[] = {
    {"common", 1, "common", false},
    {"platform", 2, "platform", false},
    {"platform/linux", 2, "platform", true},
    {"platform/sim", 3, "simboard", true},
    {"platform/sim/cxd2856", 3, "simboard", true},
    {"chipkit", 4, "chipkit", false},
    {"hw", 5, "hw", false},
    {"store", 6, "store", false},
    {"services", 7, "appservices", false},
    {"demod", 8, "demod", false},
    {"cablemodem", 9, "cablemodem", false},
    {"rf", 10, "rf", false},
    {"engines", 11, "engines", false},
    {"remote", 12, "remote", false},
    {"app", 13, "app", false},
    {"qml/code", 14, "appresources", false},
    {"js/code", 14, "appresources", false},
    {"images/images", 14, "appresources", false},
    {"fonts/fonts", 14, "appresources", false},
    {"languages/languages", 14, "appresources", false},
    {"sounds/sounds", 14, "appresources", false},
};

// The start-up code, which picks the board backend.
const QStringList kStartUp = {"app/main.cpp", "app/startup.cpp"};
// Not part of the layering: tests, benchmarks, scripts and build trees.
const QRegularExpression kOutside("^(tests|bench|build[^/]*|scripts|cmake|data|\\.[^/]*)(/|$)");

const QString& root()
{
    static const QString r = QString::fromUtf8(VARNOK_SOURCE_DIR);
    return r;
}

const Layer* layerOfFolder(const QString& folder)
{
    for (const Layer& l : kLayers)
        if (folder == QLatin1String(l.folder))
            return &l;
    return nullptr;
}

const Layer* layerOfLibrary(const QString& library)
{
    for (const Layer& l : kLayers)
        if (library == QLatin1String(l.library))
            return &l;
    return nullptr;
}

// The source files of the layered tree, relative to the root.
QStringList codeFiles()
{
    QStringList files;
    QDirIterator it(root(), {"*.h", "*.c", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(root()).relativeFilePath(it.next());
        if (!kOutside.match(rel).hasMatch())
            files << rel;
    }
    return files;
}

QString folderOf(const QString& file) { return QFileInfo(file).path(); }

// What an include names, as the compiler finds it: beside the including file, then from
// the root. A project file named by a bare name found only through an include path is
// reported, so that no include hides its folder.
std::optional<QString> resolve(const QString& file, const QString& include, const QSet<QString>& tree,
                               QString* hidden)
{
    const QString beside = QDir::cleanPath(folderOf(file) + "/" + include);
    if (tree.contains(beside))
        return beside;
    if (tree.contains(QDir::cleanPath(include)))
        return QDir::cleanPath(include);
    for (const QString& f : tree)
        if (f.endsWith("/" + include)) {
            *hidden = f;
            break;
        }
    return std::nullopt;
}

bool mayReach(const QString& fromFile, const Layer& from, const Layer& to)
{
    const bool sameLibrary = QLatin1String(from.library) == QLatin1String(to.library);
    if (&from == &to)
        return true;
    if (to.startUpOnly)
        return kStartUp.contains(fromFile) || (from.startUpOnly && sameLibrary);
    return sameLibrary || to.rank < from.rank;
}

struct Target {
    QString name;
    QString type;
    QString folder;
    QStringList links;
};

QList<Target> buildTargets()
{
    QList<Target> targets;
    QFile f(QString::fromUtf8(VARNOK_TARGETS_FILE));
    if (!f.open(QIODevice::ReadOnly))
        return targets;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split('|');
        if (parts.size() == 4)
            targets.append({parts[0], parts[1], parts[2], parts[3].split(';', Qt::SkipEmptyParts)});
    }
    return targets;
}

} // namespace

TEST(Layering, EveryFolderHasARankAndIncludesPointDown)
{
    const QStringList files = codeFiles();
    const QSet<QString> tree(files.begin(), files.end());
    const QRegularExpression includeLine(R"re(^\s*#\s*include\s+"([^"]+)")re", QRegularExpression::MultilineOption);
    int checked = 0;
    for (const QString& file : files) {
        const Layer* from = layerOfFolder(folderOf(file));
        QFile f(root() + "/" + file);
        EXPECT_NE(from, nullptr) << file.toStdString() << ": its folder has no rank";
        if (!from || !f.open(QIODevice::ReadOnly))
            continue;
        auto it = includeLine.globalMatch(QString::fromUtf8(f.readAll()));
        while (it.hasNext()) {
            const QString include = it.next().captured(1);
            QString hidden;
            const std::optional<QString> target = resolve(file, include, tree, &hidden);
            EXPECT_TRUE(target || hidden.isEmpty())
                << file.toStdString() << " includes \"" << include.toStdString() << "\": write it as \""
                << hidden.toStdString() << "\"";
            if (!target)
                continue;
            const Layer* to = layerOfFolder(folderOf(*target));
            ASSERT_NE(to, nullptr) << target->toStdString();
            EXPECT_TRUE(mayReach(file, *from, *to))
                << file.toStdString() << " (" << from->folder << ", rank " << from->rank << ") includes "
                << target->toStdString() << " (" << to->folder << ", rank " << to->rank << ")";
            ++checked;
        }
    }
    EXPECT_GT(checked, 100); // the tree was read
}

TEST(Layering, LibrariesLinkDown)
{
    const QList<Target> targets = buildTargets();
    ASSERT_FALSE(targets.isEmpty()) << VARNOK_TARGETS_FILE;
    for (const Target& t : targets) {
        if (kOutside.match(t.folder).hasMatch() || !t.type.endsWith("_LIBRARY"))
            continue; // tests, benchmarks and the executable stand above everything
        const Layer* from = layerOfLibrary(t.name);
        ASSERT_NE(from, nullptr) << t.name.toStdString() << ": a library without a rank";
        for (const QString& linked : t.links) {
            const Layer* to = layerOfLibrary(linked);
            if (!to)
                continue; // Qt and the system
            EXPECT_TRUE(!to->startUpOnly && to->rank < from->rank)
                << t.name.toStdString() << " (rank " << from->rank << ") links " << linked.toStdString()
                << " (rank " << to->rank << ")";
        }
    }
}

TEST(Layering, TheCheckSeesAWrongInclude)
{
    const Layer* hw = layerOfFolder("hw");
    const Layer* engines = layerOfFolder("engines");
    const Layer* sim = layerOfFolder("platform/sim");
    EXPECT_FALSE(mayReach("hw/GPIOClass.cpp", *hw, *engines));
    EXPECT_FALSE(mayReach("hw/GPIOClass.cpp", *hw, *sim));
    EXPECT_TRUE(mayReach("app/main.cpp", *layerOfFolder("app"), *sim));
    EXPECT_FALSE(mayReach("platform/Platform.cpp", *layerOfFolder("platform"), *layerOfFolder("platform/linux")));
    EXPECT_FALSE(mayReach("demod/DrvCXD2856.cpp", *layerOfFolder("demod"), *engines));
    EXPECT_FALSE(mayReach("cablemodem/cableModen.cpp", *layerOfFolder("cablemodem"), *layerOfFolder("rf")));
}
