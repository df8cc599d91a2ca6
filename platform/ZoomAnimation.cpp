#include "platform/ZoomAnimation.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace vcl {
namespace {

constexpr int kCaptionBand = 22;  // height of a title bar
constexpr int kMinWidth = 24;
constexpr int kLine = 3;          // dark part of the outline; a light line runs inside it
constexpr int kButtonWidth = 160;
constexpr int kButtonHeight = 24;

QRect ToQRect(const RECT& r) { return QRect(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top)); }

RECT ToRECT(const QRect& r) { return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

// A frameless window outside the window manager's control whose shape is a
// hollow rectangle: no compositor is needed for the inside to stay clear.
class ZoomOutline : public QWidget {
public:
    ZoomOutline()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus) {
        setObjectName(QStringLiteral("zoomOutline"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_QuitOnClose, false);
        setFocusPolicy(Qt::NoFocus);
        timer_.setInterval(ZoomFrameMs);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
    }

    void Start(const QRect& from, const QRect& to) {
        from_ = from;
        to_ = to;
        frame_ = 0;
        Step();
        timer_.start();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0x30, 0x60, 0xc0));
        p.setPen(QColor(0xff, 0xff, 0xff));
        p.drawRect(rect().adjusted(kLine, kLine, -kLine - 1, -kLine - 1));  // a light inner edge
    }

private:
    static int Mix(int a, int b, double t) { return a + static_cast<int>((b - a) * t + (b >= a ? 0.5 : -0.5)); }

    // Moves the outline to the next frame's rectangle, or takes it away after
    // the last one.
    void Step() {
        if (frame_ > ZoomFrames) {
            timer_.stop();
            hide();
            return;
        }
        const double t = static_cast<double>(frame_) / ZoomFrames;
        QRect r(QPoint(Mix(from_.left(), to_.left(), t), Mix(from_.top(), to_.top(), t)),
                QSize(Mix(from_.width(), to_.width(), t), Mix(from_.height(), to_.height(), t)));
        r.setWidth(std::max(r.width(), kMinWidth));
        r.setHeight(std::max(r.height(), kCaptionBand));
        setGeometry(r);
        const QRect inner = QRect(QPoint(0, 0), r.size()).adjusted(kLine + 1, kLine + 1, -kLine - 1, -kLine - 1);
        setMask(QRegion(QRect(QPoint(0, 0), r.size())) - QRegion(inner));
        if (!isVisible()) show();
        raise();
        update();
        ++frame_;
    }

    QRect from_;
    QRect to_;
    int frame_ = 0;
    QTimer timer_;
};

QPointer<ZoomOutline>& Outline() {
    static QPointer<ZoomOutline> outline;
    return outline;
}

// Runs as the application object goes down, while widgets may still be deleted.
void DeleteOutline() { delete Outline().data(); }

}  // namespace

void DrawZoomAnimation(const RECT& from, const RECT& to) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
    if (Outline().isNull()) {
        Outline() = new ZoomOutline;  // deleted by DeleteOutline when the application goes
        qAddPostRoutine(DeleteOutline);
    }
    Outline()->Start(ToQRect(from), ToQRect(to));
}

RECT TaskbarButtonRect(const RECT& near) {
    QScreen* screen = nullptr;
    if (QGuiApplication::instance() != nullptr) {
        screen = QGuiApplication::screenAt(ToQRect(near).center());
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) return RECT{0, 0, kButtonWidth, kButtonHeight};
    const QRect all = screen->geometry();
    const QRect work = screen->availableGeometry();
    QRect button;
    if (work.bottom() < all.bottom()) {  // panel along the bottom
        button = QRect(all.left(), work.bottom() + 1, kButtonWidth, all.bottom() - work.bottom());
    } else if (work.top() > all.top()) {  // along the top
        button = QRect(all.left(), all.top(), kButtonWidth, work.top() - all.top());
    } else if (work.left() > all.left()) {  // along the left
        button = QRect(all.left(), all.top(), work.left() - all.left(), kButtonHeight);
    } else if (work.right() < all.right()) {  // along the right
        button = QRect(work.right() + 1, all.top(), all.right() - work.right(), kButtonHeight);
    } else {
        button = QRect(all.left(), all.bottom() + 1 - kButtonHeight, kButtonWidth, kButtonHeight);
    }
    return ToRECT(button);
}

}  // namespace vcl
