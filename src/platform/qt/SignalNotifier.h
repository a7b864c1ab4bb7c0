#pragma once
// SIGTERM, SIGINT and SIGHUP as a Qt signal on the user-interface thread: the handler only writes to a pipe
// (all a signal handler may safely do), a socket notifier reads it in the event loop.
#include <QObject>

class QSocketNotifier;

namespace vis {

class SignalNotifier : public QObject {
    Q_OBJECT
public:
    explicit SignalNotifier(QObject* parent = nullptr);
    ~SignalNotifier() override;
    SignalNotifier(const SignalNotifier&) = delete;
    SignalNotifier& operator=(const SignalNotifier&) = delete;

signals:
    void terminationRequested(int signalNumber);

private:
    void Drain();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace vis
