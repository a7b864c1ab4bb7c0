#pragma once
// Where the show goes inside a window that xscreensaver gives the saver. A window that covers its monitor
// shows the show at the window's own size, as a full-screen saver would. A window clearly smaller than its
// monitor is a preview (xscreensaver's settings): the show runs at the monitor's size and every frame is
// scaled down into the window, aspect kept and centred, so that the preview shows whole pictures.
#include <QList>
#include <QRect>
#include <QSize>

namespace vis {

struct HostLayout {
    QSize screen;         // the size the show runs at
    QRect target;         // where that screen appears, in window coordinates
    bool preview = false; // the frames are scaled into target
};

// host: the window's place on the root window; isRoot: it is the root window itself (a hack started with
// "-root" and no window of its own), which is never a preview; monitors: the monitors' places.
HostLayout LayoutInHost(const QRect& host, bool isRoot, const QList<QRect>& monitors);

} // namespace vis
