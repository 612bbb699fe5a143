#pragma once
// The start-up splash: the splash bitmap with the version lines, centred on the screen; it
// closes itself after 1.5 s or at once when clicked.

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class CSplashWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CSplashWindow(QWidget* parent = nullptr);

    // Largest "Arial" point size, from 15 down, at which `lines` fit the box.
    static int FitFontSize(const QStringList& lines, const QSize& box);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPixmap bitmap;
    QStringList lines;
    int fontSize = 15;
    QTimer closeTimer;
};
