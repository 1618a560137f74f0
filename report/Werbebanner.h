// The advertising banner at the top of the report window's bottom panel: a picture the
// program paints itself, answering a click like a link.
#pragma once

#include <QImage>
#include <QLabel>
#include <functional>

// 640 x 93 pixels, 24-bit colour: a blue gradient with two lines of yellow italic
// capitals.
QImage MaleWerbebanner();

class TWerbebanner : public QLabel {
    Q_OBJECT
public:
    explicit TWerbebanner(QWidget* parent = nullptr);

    std::function<void(QObject*)> OnClick;

protected:
    virtual void DoClick();
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
