// The about window: program name, version, the makers and their addresses. Shown
// modally from the main window's "&Info"; it reads and writes no program data.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* VersionsLabel = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* EMailLabel = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* URLLabel = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* BitBtn1 = nullptr;

    void URLLabelClick(QObject* Sender);
    void EMailLabelClick(QObject* Sender);

protected:
    bool eventFilter(QObject* objekt, QEvent* event) override;
};

// The one about window of the program; set by the first TForm3 created.
extern TForm3* Form3;
