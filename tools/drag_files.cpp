// drag_files: drags files from a small window of its own, as a file manager
// does (the links as text/uri-list, a copy proposed; a move and a link also
// offered), for scripted drives on a virtual X server, where xdotool presses
// the mouse on the window, moves it onto the target and releases it there.
//
//   drag_files X Y LINK...    a LINK is a local path, or an address with "://"
//
// The window, 32 by 32 pixels, stands at X,Y on the screen. The tool prints
// "ready" once the window is on the screen, and "dropped" or "refused" when
// the drag is over. It then stays, as a file manager does, to give the
// target the links it asks for at the drop, until it is ended (after 60 s
// at the latest).
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

class DragSource final : public QWidget {
public:
    explicit DragSource(QList<QUrl> links) : links_(std::move(links)) {}

protected:
    // The first paint: the window is on the screen.
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(0x30, 0x60, 0xc0));
        if (shown_) return;
        shown_ = true;
        std::puts("ready");
        std::fflush(stdout);
    }

    void mousePressEvent(QMouseEvent*) override {
        auto* mime = new QMimeData;  // the drag owns it
        mime->setUrls(links_);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        std::puts(action == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
        QTimer::singleShot(60000, [] { QApplication::exit(0); });
    }

private:
    QList<QUrl> links_;
    bool shown_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fputs("usage: drag_files X Y LINK...\n", stderr);
        return 64;
    }
    QList<QUrl> links;
    for (int i = 3; i < argc; ++i) {
        const QString link = QString::fromLocal8Bit(argv[i]);
        links << (link.contains(QStringLiteral("://")) ? QUrl(link)
                                                       : QUrl::fromLocalFile(QFileInfo(link).absoluteFilePath()));
    }
    DragSource source(links);
    source.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    source.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), 32, 32);
    source.show();
    return QApplication::exec();
}
