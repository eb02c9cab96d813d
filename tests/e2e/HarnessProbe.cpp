// A tiny program for the end-to-end harness's own test: a frameless window
// that moves itself like the player's windows do and reports the input it gets
// on stdout.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

void report(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

class ProbeWindow : public QWidget {
public:
    explicit ProbeWindow(const QString& caption) {
        // Frameless like the player's skinned windows, unless asked otherwise.
        setWindowFlag(Qt::FramelessWindowHint, !qEnvironmentVariableIsSet("PROBE_DECORATED"));
        setWindowTitle(caption);
        setFixedSize(240, 160);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(0x20, 0x80, 0xc0));
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        const int button = event->button() == Qt::LeftButton     ? 1
                           : event->button() == Qt::MiddleButton ? 2
                           : event->button() == Qt::RightButton  ? 3
                                                                 : 0;
        report(QStringLiteral("clicked %1 %2 %3").arg(p.x()).arg(p.y()).arg(button));
        // A busy program: handles the press late.
        QThread::msleep(qEnvironmentVariableIntValue("PROBE_PRESS_DELAY_MS"));
        // Like the player: any press on the body starts a move the window manager carries out.
        const bool moving = windowHandle()->startSystemMove();
        report(QStringLiteral("system move %1").arg(moving ? "started" : "refused"));
    }

    void keyPressEvent(QKeyEvent* event) override {
        // The text goes last so that it may hold spaces.
        report(QStringLiteral("key %1 %2").arg(event->key(), 0, 16).arg(event->text()));
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Arguments: [x y [caption]]: where the window asks to be placed, and its caption.
    const QStringList args = app.arguments();
    ProbeWindow window(args.size() >= 4 ? args.at(3) : QStringLiteral("Harness Probe"));
    window.move(args.size() >= 3 ? QPoint(args.at(1).toInt(), args.at(2).toInt())
                                 : QPoint(200, 150));
    window.show();
    return app.exec();
}
