#include "ScreenLayout.h"

#include "FrameHarness.h"

#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickView>
#include <QRectF>
#include <QTest>

#include <algorithm>
#include <vector>

namespace apptest {
namespace {

struct ShownText {
    QQuickItem* item;
    QRectF glyphs; // where its glyphs are painted, in the scene, as far as the clips let them show
};

// The rectangle the glyphs of a text take inside its box, from its alignment.
QRectF glyphRect(QQuickItem* text)
{
    const double w = text->width(), h = text->height();
    const double cw = text->property("contentWidth").toDouble(), ch = text->property("contentHeight").toDouble();
    const int h_align = text->property("horizontalAlignment").toInt();
    const int v_align = text->property("verticalAlignment").toInt();
    const double x = h_align == Qt::AlignRight ? w - cw : (h_align == Qt::AlignHCenter ? (w - cw) / 2 : 0);
    const double y = v_align == Qt::AlignBottom ? h - ch : (v_align == Qt::AlignVCenter ? (h - ch) / 2 : 0);
    return QRectF(x, y, cw, ch);
}

QString describe(QQuickItem* text)
{
    QString path;
    for (QQuickItem* i = text; i; i = i->parentItem())
        if (!i->objectName().isEmpty()) {
            path = i->objectName();
            break;
        }
    return QString("\"%1\"%2").arg(text->property("text").toString(), path.isEmpty() ? "" : " in " + path);
}

void collect(QQuickItem* item, QRectF clip, std::vector<ShownText>* out)
{
    if (!item->isVisible() || item->opacity() == 0.0)
        return;
    const QRectF box = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    if (item->clip())
        clip = clip.intersected(box);
    if (item->inherits("QQuickText") && !item->property("text").toString().trimmed().isEmpty()) {
        const QRectF glyphs = item->mapRectToScene(glyphRect(item)).intersected(clip);
        if (!glyphs.isEmpty())
            out->push_back({item, glyphs});
    }
    for (QQuickItem* child : item->childItems())
        collect(child, clip, out);
}

// The last shown modal layer in paint order: the one on top.
void findModal(QQuickItem* item, QQuickItem** top)
{
    if (!item->isVisible() || item->opacity() == 0.0)
        return;
    if (item->property("modal").toBool())
        *top = item;
    QList<QQuickItem*> children = item->childItems();
    std::stable_sort(children.begin(), children.end(), [](QQuickItem* a, QQuickItem* b) { return a->z() < b->z(); });
    for (QQuickItem* child : children)
        findModal(child, top);
}

} // namespace

QStringList layoutFaults(QQuickItem* root)
{
    QStringList faults;
    std::vector<ShownText> texts;
    const QRectF screen(0, 0, 800, 480);
    QQuickItem* modal = nullptr;
    findModal(root, &modal);
    collect(modal ? modal : root, screen.adjusted(-1000, -1000, 1000, 1000), &texts);
    for (const ShownText& t : texts) {
        if (!screen.adjusted(-1, -1, 1, 1).contains(t.glyphs))
            faults << "off the screen: " + describe(t.item);
        if (t.item->property("truncated").toBool())
            faults << QString("cut short (%1 wide, needs %2): ")
                          .arg(t.item->width())
                          .arg(t.item->implicitWidth())
                      + describe(t.item);
        const QRectF glyphs = glyphRect(t.item);
        if (glyphs.width() > t.item->width() + 1 || glyphs.height() > t.item->height() + 1)
            faults << QString("out of its box (%1x%2 in %3x%4): ")
                          .arg(glyphs.width())
                          .arg(glyphs.height())
                          .arg(t.item->width())
                          .arg(t.item->height())
                      + describe(t.item);
    }
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const QRectF both = texts[i].glyphs.intersected(texts[j].glyphs);
            if (both.width() > 2 && both.height() > 2)
                faults << "over each other: " + describe(texts[i].item) + " and " + describe(texts[j].item);
        }
    return faults;
}

namespace {
QStringList faultsShown(QQuickView* view, const QString& what)
{
    dialogsOpened(view->contentItem());
    nextFrame(view);
    QStringList faults = layoutFaults(view->contentItem());
    for (QString& f : faults)
        f.prepend(what + ": ");
    return faults;
}
} // namespace

QStringList screenAndDialogFaults(QQuickView* view)
{
    const auto click = [view](const QString& name) { return touch(view, topmostNamed(view->contentItem(), name)); };
    QStringList faults = faultsShown(view, "screen");
    QObject* page = pageOf(view->rootObject());
    const int entries = QQmlExpression(qmlContext(page), page,
                                       "typeof topBar === 'undefined' || !topBar.menuEntries ? 0 : topBar.menuEntries.length")
                            .evaluate()
                            .toInt();
    for (int i = 0; i < entries; ++i) {
        click("menuButton");
        if (i == 0)
            faults << faultsShown(view, "menu");
        const QString entry = topmostNamed(view->contentItem(), "menuEntry" + QString::number(i))->property("text").toString();
        click("menuEntry" + QString::number(i));
        faults << faultsShown(view, entry);
        if (click("value")) {
            faults << faultsShown(view, entry + " keyboard");
            click("key_CANCEL");
        }
        if (!click("dialogCancel"))
            click("dialogDone");
    }
    return faults;
}

} // namespace apptest
