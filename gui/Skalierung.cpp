#include "gui/Skalierung.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double StandardPunkte = 9.0;
// Qt's bound for "no fixed size".
constexpr int OhneGrenze = QWIDGETSIZE_MAX;

std::vector<QWidget*> FensterMitKindern(QWidget* fenster)
{
    std::vector<QWidget*> alle { fenster };
    for (QWidget* kind : fenster->findChildren<QWidget*>())
        if (!kind->isWindow())
            alle.push_back(kind);
    return alle;
}

int Mal(int wert, double faktor)
{
    return int(std::ceil(wert * faktor - 1e-9));
}

void SkaliereSchriften(const std::vector<QWidget*>& alle, double faktor)
{
    // All fonts read before any is set: a child inherits from its parent, and must not
    // grow twice.
    std::vector<QFont> schriften;
    for (const QWidget* w : alle)
        schriften.push_back(w->font());
    for (size_t i = 0; i < alle.size(); ++i) {
        QFont schrift = schriften[i];
        if (schrift.pixelSize() > 0)
            schrift.setPixelSize(Mal(schrift.pixelSize(), faktor));
        else if (schrift.pointSizeF() > 0)
            schrift.setPointSizeF(schrift.pointSizeF() * faktor);
        alle[i]->setFont(schrift);
    }
}

void SkaliereGeometrie(const std::vector<QWidget*>& alle, double faktor)
{
    for (QWidget* w : alle) {
        const QSize min = w->minimumSize();
        const QSize max = w->maximumSize();
        // Fixed widths and heights of the design grow; open bounds stay open.
        const auto grenze = [faktor](int wert) { return wert >= OhneGrenze ? wert : Mal(wert, faktor); };
        const QRect ort = w->geometry();
        w->setMinimumSize(Mal(min.width(), faktor), Mal(min.height(), faktor));
        w->setMaximumSize(grenze(max.width()), grenze(max.height()));
        const QWidget* eltern = w->parentWidget();
        if (w->isWindow())
            w->resize(Mal(ort.width(), faktor), Mal(ort.height(), faktor));
        else if (!eltern || !eltern->layout())
            w->setGeometry(Mal(ort.x(), faktor), Mal(ort.y(), faktor), Mal(ort.width(), faktor),
                Mal(ort.height(), faktor));
    }
}

// What a push button's caption and icon need inside its frame. Its size hint would
// also carry the style's minimum width, which no caption asks for.
QSize KnopfInhalt(const QPushButton* knopf, QRect& innen)
{
    QStyleOptionButton option;
    option.initFrom(knopf);
    option.text = knopf->text();
    option.icon = knopf->icon();
    option.iconSize = knopf->iconSize();
    innen = knopf->style()->subElementRect(QStyle::SE_PushButtonContents, &option, knopf);
    const QSize text = knopf->fontMetrics().size(Qt::TextShowMnemonic, knopf->text());
    if (knopf->icon().isNull())
        return text;
    return { text.width() + knopf->iconSize().width() + 4,
        std::max(text.height(), knopf->iconSize().height()) };
}

// How much a label's or button's place must grow for its text to fit.
double Bedarf(const QWidget* w)
{
    if (w->width() <= 0 || w->height() <= 0)
        return 1.0;
    if (const auto* knopf = qobject_cast<const QPushButton*>(w)) {
        QRect innen;
        const QSize inhalt = KnopfInhalt(knopf, innen);
        if (innen.width() <= 0 || innen.height() <= 0)
            return 1.0;
        // The frame around the caption does not grow with the rest: a little more.
        const int rahmen = w->width() - innen.width();
        return std::max({ 1.0, double(inhalt.width() + rahmen) / w->width(),
            double(inhalt.height() + w->height() - innen.height()) / w->height() });
    }
    const QSize noetig = w->sizeHint();
    double bedarf = 1.0;
    const auto* label = qobject_cast<const QLabel*>(w);
    if (label && label->wordWrap())
        return std::max(bedarf, double(label->heightForWidth(w->width())) / w->height());
    bedarf = std::max(bedarf, double(noetig.width()) / w->width());
    return std::max(bedarf, double(noetig.height()) / w->height());
}

double PlatzBedarf(const std::vector<QWidget*>& alle)
{
    double bedarf = 1.0;
    for (const QWidget* w : alle) {
        const QWidget* eltern = w->parentWidget();
        // Those a layout places get their size hint from it; a tab bar sizes its own
        // scroll buttons.
        if (eltern && (eltern->layout() || qobject_cast<const QTabBar*>(eltern)))
            continue;
        if (qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w))
            bedarf = std::max(bedarf, Bedarf(w));
    }
    return bedarf;
}

// Labels that wrap their lines on the pages of the window's tab widgets keep the
// height their text takes at the page's width: a layout would ask them for one line.
void ReserviereZeilenhoehe(QWidget* fenster)
{
    fenster->layout()->activate();
    for (QTabWidget* reiter : fenster->findChildren<QTabWidget*>()) {
        const int rahmen = reiter->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, reiter);
        const int breite = reiter->width() - 2 * rahmen;
        for (int i = 0; i < reiter->count(); ++i) {
            QWidget* seite = reiter->widget(i);
            if (!seite->layout())
                continue;
            seite->resize(breite, seite->layout()->totalMinimumSize().height());
            seite->layout()->activate();
            for (QLabel* label : seite->findChildren<QLabel*>())
                if (label->wordWrap() && !label->isHidden() && label->width() > 0)
                    label->setMinimumHeight(label->heightForWidth(label->width()));
        }
    }
}

// Fits its window into the screen's available area each time it is shown: the screen
// may have changed, or the desktop's scale, since it was built.
class TBildschirmHalter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objekt, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* fenster = qobject_cast<QWidget*>(objekt); fenster && fenster->isWindow())
                HalteImBildschirm(fenster);
        return false;
    }
};

} // namespace

QRect ImVerfuegbarenBereich(const QRect& aussen, const QRect& verfuegbar)
{
    const QSize groesse = aussen.size().boundedTo(verfuegbar.size());
    // As near the design's place as it can be.
    const int x
        = std::clamp(aussen.x(), verfuegbar.left(), verfuegbar.left() + verfuegbar.width() - groesse.width());
    const int y
        = std::clamp(aussen.y(), verfuegbar.top(), verfuegbar.top() + verfuegbar.height() - groesse.height());
    return { QPoint(x, y), groesse };
}

void HalteImBildschirm(QWidget* fenster)
{
    const QScreen* bildschirm = fenster ? fenster->screen() : nullptr;
    if (!bildschirm)
        return;
    // The frame is known once the window manager framed the window; before its first
    // showing the window has none.
    const QRect aussen = fenster->frameGeometry();
    const QSize rahmen = aussen.size() - fenster->size();
    const QRect passend = ImVerfuegbarenBereich(aussen, bildschirm->availableGeometry());
    if (passend == aussen)
        return;
    if (passend.size() != aussen.size()) {
        const QSize innen = (passend.size() - rahmen).expandedTo(QSize(1, 1));
        if (fenster->minimumSize() == fenster->maximumSize())
            fenster->setFixedSize(innen);
        else
            fenster->setMinimumSize(fenster->minimumSize().boundedTo(innen));
        fenster->resize(innen);
    }
    fenster->move(passend.topLeft());
}

double Schriftfaktor()
{
    const double punkte = QApplication::font().pointSizeF();
    return punkte > StandardPunkte ? punkte / StandardPunkte : 1.0;
}

void PasseAnSchriftAn(QWidget* fenster)
{
    if (!fenster)
        return;
    const std::vector<QWidget*> alle = FensterMitKindern(fenster);
    if (const double faktor = Schriftfaktor(); faktor > 1.0) {
        SkaliereSchriften(alle, faktor);
        SkaliereGeometrie(alle, faktor);
    }
    // Rounding may leave a pixel short; a second look settles it.
    for (int runde = 0; runde < 4; ++runde) {
        const double bedarf = PlatzBedarf(alle);
        if (bedarf <= 1.0)
            break;
        SkaliereGeometrie(alle, bedarf);
    }
    // A window of fixed size that a layout fills must leave it room for every text.
    if (QLayout* layout = fenster->layout(); layout && fenster->minimumSize() == fenster->maximumSize()) {
        ReserviereZeilenhoehe(fenster);
        const QSize noetig = layout->totalMinimumSize();
        if (noetig.width() > fenster->width() || noetig.height() > fenster->height())
            fenster->setFixedSize(fenster->size().expandedTo(noetig));
    }
    const QString halter = QStringLiteral("BildschirmHalter");
    if (fenster->isWindow() && !fenster->findChild<QObject*>(halter, Qt::FindDirectChildrenOnly)) {
        auto* filter = new TBildschirmHalter(fenster);
        filter->setObjectName(halter);
        fenster->installEventFilter(filter);
    }
}
