#pragma once
// Waiting for the instance guard without blocking the event loop: a thread of its own sits in the blocking
// lock call, and the event loop hears of the result through a pipe. Used by saver copies that xscreensaver
// started while the user's own roles hold the guard.
#include <functional>
#include <memory>

class QSocketNotifier;

namespace vis {

class FlockGuard;

class GuardWaiter {
  public:
    // The guard must outlive the process's last use of it (the program keeps it until it ends); acquired
    // runs on the thread that made the waiter, once the guard is held.
    GuardWaiter(FlockGuard& guard, std::function<void()> acquired);
    ~GuardWaiter();
    GuardWaiter(const GuardWaiter&) = delete;
    GuardWaiter& operator=(const GuardWaiter&) = delete;

  private:
    struct Pipe;
    std::shared_ptr<Pipe> pipe_;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> acquired_;
};

} // namespace vis
