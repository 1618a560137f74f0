#include "app/Info.h"

#include "gui/Benannt.h"
#include "gui/Gestaltung.h"
#include "gui/Skalierung.h"
#include "platform/ProgrammIcon.h"
#include "runtime/Shell.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

TForm3* Form3 = nullptr;

namespace {

QFrame* NeuesPanel(QWidget* eltern, const char* name, int links, int oben, int breite, int hoehe)
{
    auto* panel = new QFrame(eltern);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(links, oben, breite, hoehe);
    return panel;
}

// Captions are shown as they are: an address from the build settings is no markup.
QLabel* NeuesLabel(QWidget* eltern, const char* name, const QString& text, int links, int oben, int breite,
    int hoehe, int schrifthoehe = 0)
{
    auto* label = new QLabel(text, eltern);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (schrifthoehe > 0) {
        QFont schrift = label->font();
        schrift.setPixelSize(schrifthoehe);
        label->setFont(schrift);
    }
    label->setGeometry(links, oben, breite, hoehe);
    return label;
}

void Fett(QLabel* label, bool unterstrichen = false)
{
    QFont schrift = label->font();
    schrift.setBold(true);
    schrift.setUnderline(unterstrichen);
    label->setFont(schrift);
}

// Left-aligned labels that take the width of their text from their left edge on.
void NimmTextbreite(QLabel* label)
{
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->resize(label->sizeHint());
}

void KlickbarerVerweis(QLabel* label, QObject* beobachter)
{
    Fett(label, true);
    AlsVerweis(label);
    label->installEventFilter(beobachter);
}

} // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Info"));
    setWindowIcon(ProgrammIcon());
    setFont(DesignSchrift());
    setFixedSize(312, 298);
    move(200, 108);

    Panel1 = NeuesPanel(this, "Panel1", 0, 0, 311, 271);

    Label1 = NeuesLabel(Panel1, "Label1", QStringLiteral("Kostenwolf"), 5, 5, 301, 20, 16);
    Fett(Label1, true);
    VersionsLabel
        = NeuesLabel(Panel1, "VersionsLabel", QStringLiteral("Version: " KOSTENWOLF_VERSION), 5, 30, 301, 13);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ProgrammBild());
    Image1->setGeometry(139, 70, 32, 32);

    Label2
        = NeuesLabel(Panel1, "Label2", QStringLiteral("Entwickelt vom Kostenwolf-Team"), 5, 110, 301, 16, 13);
    Label3 = NeuesLabel(Panel1, "Label3", QStringLiteral("Kostenwolf-Projekt"), 5, 130, 301, 16, 13);

    Label7 = NeuesLabel(Panel1, "Label7", QStringLiteral("E-Mail:"), 68, 150, 40, 13);
    Fett(Label7);
    NimmTextbreite(Label7);
    EMailLabel = NeuesLabel(Panel1, "EMailLabel", HerstellerEMail(), 113, 150, 130, 13);
    EMailLabel->setAttribute(Qt::WA_TranslucentBackground);
    KlickbarerVerweis(EMailLabel, this);
    NimmTextbreite(EMailLabel);
    // Fonts wider than the designed one would push a long address out of the panel; the
    // row then moves left as a whole and stays readable.
    const int ueberstand = EMailLabel->geometry().right() - (Panel1->width() - 5);
    if (ueberstand > 0) {
        const int verschiebung = qMin(ueberstand, Label7->x() - 5);
        Label7->move(Label7->x() - verschiebung, Label7->y());
        EMailLabel->move(EMailLabel->x() - verschiebung, EMailLabel->y());
    }

    Panel2 = NeuesPanel(Panel1, "Panel2", 0, 165, 311, 86);
    Label6 = NeuesLabel(
        Panel2, "Label6", QStringLiteral("Weitere Programme, finden Sie unter:"), 5, 5, 301, 46, 19);
    Label6->setWordWrap(true);
    URLLabel = NeuesLabel(Panel2, "URLLabel", HerstellerHomepage(), 5, 55, 301, 20, 16);
    KlickbarerVerweis(URLLabel, this);

    Label4 = NeuesLabel(
        Panel1, "Label4", QStringLiteral("Orginalgröße der *.exe: 565.248 Byte"), 5, 255, 301, 13);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(118, 273, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    PasseAnSchriftAn(this);
    MeldeFensterAn(Form3, this);
}

TForm3::~TForm3()
{
    MeldeFensterAb(Form3, this);
}

bool TForm3::eventFilter(QObject* objekt, QEvent* event)
{
    if ((objekt == URLLabel || objekt == EMailLabel) && event->type() == QEvent::MouseButtonRelease) {
        auto* maus = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(objekt);
        if (maus->button() == Qt::LeftButton && label->rect().contains(maus->position().toPoint())) {
            if (label == URLLabel)
                URLLabelClick(URLLabel);
            else
                EMailLabelClick(EMailLabel);
            return true;
        }
    }
    return QDialog::eventFilter(objekt, event);
}

// The targets come from the captions at the moment of the click, so each address is held
// in one place only.
void TForm3::URLLabelClick(QObject*)
{
    ShellExecuteOpen(URLLabel->text());
}

void TForm3::EMailLabelClick(QObject*)
{
    ShellExecuteOpen(QStringLiteral("mailto:") + EMailLabel->text());
}
