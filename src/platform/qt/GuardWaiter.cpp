#include "platform/qt/GuardWaiter.h"

#include "platform/posix/FlockGuard.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace vis {

// Shared by the waiting thread and the waiter: whichever is last closes it, so a thread still blocked
// when the waiter goes never writes into a reused descriptor.
struct GuardWaiter::Pipe {
    int fds[2] = {-1, -1};
    ~Pipe() {
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    }
};

GuardWaiter::GuardWaiter(FlockGuard& guard, std::function<void()> acquired)
    : pipe_(std::make_shared<Pipe>()), acquired_(std::move(acquired)) {
    if (::pipe2(pipe_->fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        // No way to wait in the background: wait here rather than never start.
        guard.Wait();
        acquired_();
        return;
    }
    notifier_ = new QSocketNotifier(pipe_->fds[0], QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, [this] {
        char byte;
        if (::read(pipe_->fds[0], &byte, 1) != 1) return;
        notifier_->setEnabled(false);
        acquired_();
    });
    std::thread([pipe = pipe_, &guard] {
        // Termination signals belong to the user-interface thread, whose handler ends the process.
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, nullptr);
        guard.Wait();
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(pipe->fds[1], &byte, 1);
    }).detach();
}

GuardWaiter::~GuardWaiter() {
    delete notifier_;
}

} // namespace vis
