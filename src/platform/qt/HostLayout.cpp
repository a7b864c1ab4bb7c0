#include "platform/qt/HostLayout.h"

namespace vis {

namespace {
// The monitor a window stands on: the one holding its centre, else the one it overlaps most.
QRect MonitorOf(const QRect& host, const QList<QRect>& monitors) {
    for (const QRect& m : monitors)
        if (m.contains(host.center())) return m;
    QRect best;
    qint64 bestArea = -1;
    for (const QRect& m : monitors) {
        const QRect overlap = m.intersected(host);
        const qint64 area = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = m;
        }
    }
    return best;
}
} // namespace

HostLayout LayoutInHost(const QRect& host, bool isRoot, const QList<QRect>& monitors) {
    HostLayout layout;
    layout.screen = host.size();
    layout.target = QRect(QPoint(0, 0), host.size());
    if (isRoot || monitors.isEmpty() || host.isEmpty()) return layout;
    const QRect monitor = MonitorOf(host, monitors);
    if (monitor.isEmpty()) return layout;
    // "Clearly smaller": a side under three quarters of the monitor's. xscreensaver's own windows cover
    // their monitor, a preview pane is a fraction of it.
    const bool preview = qint64(host.width()) * 4 < qint64(monitor.width()) * 3 ||
                         qint64(host.height()) * 4 < qint64(monitor.height()) * 3;
    if (!preview) return layout;
    layout.preview = true;
    layout.screen = monitor.size();
    const qint64 hw = host.width(), hh = host.height(), mw = monitor.width(), mh = monitor.height();
    int tw, th;
    if (hw * mh <= hh * mw) { // the width limits the scale
        tw = int(hw);
        th = int((mh * hw + mw / 2) / mw);
    } else {
        th = int(hh);
        tw = int((mw * hh + mh / 2) / mh);
    }
    layout.target = QRect(int((hw - tw) / 2), int((hh - th) / 2), tw, th);
    return layout;
}

} // namespace vis
