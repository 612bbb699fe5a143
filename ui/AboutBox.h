#pragma once
// The About box: the banner, the product and version lines filled from the version block, the
// copyright line, the mail and web links and an OK button.

#include <QDialog>
#include <QString>

class QLabel;
class QStatusBar;

// A line of underlined blue text that opens its target with the desktop's handler. Its
// content is "display text", optionally followed by "\n" and the target; without a target the
// text is the target. Only the text itself reacts to the mouse: there it shows the hand cursor
// and the target in the status bar, and a button released over it opens the target.
class CLinkControl : public QWidget
{
    Q_OBJECT
public:
    CLinkControl(const QString& content, QStatusBar* statusBar, QWidget* parent = nullptr);

    QString DisplayText() const { return display; }
    QString Target() const { return target; }
    // The part of the widget the text covers.
    QRect TextRect() const;
    bool Hovering() const { return hovering; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetHovering(bool on);
    void Open();

    QString display;
    QString target;
    QStatusBar* statusBar = nullptr;
    bool hovering = false;
    bool pressed = false;
};

class CAboutBox : public QDialog
{
    Q_OBJECT
public:
    // `statusBar`, when given, shows a link's target while the pointer is over it.
    explicit CAboutBox(QStatusBar* statusBar = nullptr, QWidget* parent = nullptr);
    ~CAboutBox() override;

    QLabel* VersionLine() const { return versionLine; }
    QLabel* CopyrightLine() const { return copyrightLine; }
    CLinkControl* MailLink() const { return mailLink; }
    CLinkControl* UrlLink() const { return urlLink; }

    // The banner across the top of the box, `width` pixels wide.
    static QPixmap Banner(int width);

private:
    QLabel* versionLine = nullptr;
    QLabel* copyrightLine = nullptr;
    CLinkControl* mailLink = nullptr;
    CLinkControl* urlLink = nullptr;
    QStatusBar* statusBar = nullptr;
};

// The About command: the box, modal over `parent` (the main frame, whose status bar shows
// the links' targets).
void ShowAboutBox(QWidget* parent);
