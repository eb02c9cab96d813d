// A tiny program for the end-to-end harness's own test: a frameless window
// that moves itself like the player's windows do, reports the input it gets on
// stdout, and shows a notification-area icon.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

void report(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int buttonNumber(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    case Qt::RightButton:
        return 3;
    default:
        return 0;
    }
}

class ProbeWindow : public QWidget {
public:
    ProbeWindow(const QString& caption, QColor colour) : colour_(colour) {
        // Frameless like the player's skinned windows, unless asked otherwise.
        setWindowFlag(Qt::FramelessWindowHint, !qEnvironmentVariableIsSet("PROBE_DECORATED"));
        setWindowTitle(caption);
        setFixedSize(240, 160);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour_); }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        report(QStringLiteral("clicked %1 %2 %3")
                   .arg(p.x())
                   .arg(p.y())
                   .arg(buttonNumber(event->button())));
        // A busy program: handles the press late.
        QThread::msleep(qEnvironmentVariableIntValue("PROBE_PRESS_DELAY_MS"));
        // Like the player: any press on the body starts a move the window manager carries out.
        const bool moving = windowHandle()->startSystemMove();
        report(QStringLiteral("system move %1").arg(moving ? "started" : "refused"));
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        report(QStringLiteral("double clicked %1 %2 %3")
                   .arg(p.x())
                   .arg(p.y())
                   .arg(buttonNumber(event->button())));
    }

    void keyPressEvent(QKeyEvent* event) override {
        // The text goes last so that it may hold spaces.
        report(QStringLiteral("key %1 %2").arg(event->key(), 0, 16).arg(event->text()));
    }

    void moveEvent(QMoveEvent* event) override {
        report(QStringLiteral("moved %1 %2").arg(event->pos().x()).arg(event->pos().y()));
    }

private:
    QColor colour_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Arguments: [x y [caption]]: where the window asks to be placed, and its caption.
    const QStringList args = app.arguments();
    QPoint position(200, 150);
    if (args.size() >= 3) {
        position = QPoint(args.at(1).toInt(), args.at(2).toInt());
    }
    const QString caption = args.size() >= 4 ? args.at(3) : QStringLiteral("Harness Probe");

    ProbeWindow window(caption, QColor(0x20, 0x80, 0xc0));
    window.move(position);
    window.show();

    QPixmap iconPicture(22, 22);
    iconPicture.fill(QColor(0xe0, 0x40, 0x20));
    QSystemTrayIcon tray{QIcon(iconPicture)};
    QObject::connect(&tray, &QSystemTrayIcon::activated,
                     [](QSystemTrayIcon::ActivationReason reason) {
                         report(QStringLiteral("tray activated %1").arg(int(reason)));
                     });
    report(
        QStringLiteral("tray available %1").arg(QSystemTrayIcon::isSystemTrayAvailable() ? 1 : 0));
    tray.show();
    return app.exec();
}
