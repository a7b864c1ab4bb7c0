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

    // The first termination signal that arrived; 0 while none has.
    int ReceivedSignal() const { return received_; }

  signals:
    void terminationRequested(int signalNumber);

  private:
    void Drain();
    QSocketNotifier* notifier_ = nullptr;
    int received_ = 0;
};

// Ends the process by the signal's default action, as a program that never caught it would end: the
// parent (xscreensaver, a shell) sees death by that signal. Call once everything changed is restored.
[[noreturn]] void DieBySignal(int signalNumber);

} // namespace vis
