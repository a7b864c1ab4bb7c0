#include "platform/headless/Headless.h"
#include "platform/posix/FlockGuard.h"
#include "qv/Files.h"
#include "qv/Startup.h"
#include "support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vis {
namespace {

constexpr auto W = PathStyle::Windows;

struct Folder {
    std::set<std::string> files;
    bool operator()(const std::string& p) const { return files.count(p) != 0; }
};

Folder SaverFiles(const std::string& folder) {
    return Folder{{folder + "\\qor_inf", folder + "\\qor_0", folder + "\\qor_1", folder + "\\qor_effect1"}};
}

StartDecision Decide(const std::string& prog, const std::string& arg, const Folder& files, int* attempts = nullptr) {
    MemoryInstanceGuard guard;
    auto d = DecideStart(prog, arg, W, guard, files);
    if (attempts) *attempts = guard.attempts;
    return d;
}

TEST(StartRole, RoleTable) {
    const std::string scr = "C:\\S\\MOON.SCR";
    const auto files = SaverFiles("C:\\S\\velloran\\MOON");
    for (const char* arg : {"/s", "/S", "/P", "/p:99", "/C", "/A", "-s", "x"}) {
        auto d = Decide(scr, arg, files);
        EXPECT_EQ(d.outcome, StartOutcome::RunWindow) << arg;
        EXPECT_EQ(d.role, Role::Saver) << arg;
        EXPECT_EQ(d.title, "Vistrelle");
        EXPECT_EQ(d.dataFolder, "C:\\S\\velloran\\MOON");
    }
    for (const char* arg : {"/c", "/c:1234", "-c", "-c5", ""}) {
        auto d = Decide(scr, arg, files);
        EXPECT_EQ(d.outcome, StartOutcome::RunWindow) << arg;
        EXPECT_EQ(d.role, Role::Settings) << arg;
    }
    for (const char* arg : {"/p", "-p"}) {
        int attempts = 0;
        EXPECT_EQ(Decide(scr, arg, files, &attempts).outcome, StartOutcome::Preview) << arg;
        EXPECT_EQ(attempts, 1) << "the preview ends after the guard was taken";
    }
}

TEST(StartRole, InstallerByExtension) {
    for (const char* prog : {"C:\\S\\velloran\\X\\install.exe", "C:\\S\\SETUP.EXE", "C:\\S\\a.Exe"}) {
        for (const char* arg : {"/c", "/p", "", "/s"}) {
            auto d = Decide(prog, arg, Folder{});
            EXPECT_EQ(d.outcome, StartOutcome::RunWindow) << prog << " " << arg;
            EXPECT_EQ(d.role, Role::Installer);
            EXPECT_EQ(d.title, "Installer for QV");
            EXPECT_TRUE(d.dataFolder.empty());
        }
    }
    // No "." after the last separator: no extension, not the installer.
    EXPECT_EQ(Decide("C:\\A.EXE\\SAVER", "/s", Folder{}).role, Role::Saver);
}

TEST(StartRole, SlashAEndsBeforeTheGuard) {
    for (const char* prog : {"C:\\S\\MOON.SCR", "C:\\S\\INSTALL.EXE"}) {
        int attempts = -1;
        EXPECT_EQ(Decide(prog, "/a", Folder{}, &attempts).outcome, StartOutcome::EndAtOnce);
        EXPECT_EQ(attempts, 0);
    }
}

TEST(StartRole, AnotherInstanceRefusedInEveryRole) {
    MemoryInstanceGuard held(true);
    const auto files = SaverFiles("C:\\S\\velloran\\MOON");
    for (const char* arg : {"/s", "/c", "", "/p"})
        EXPECT_EQ(DecideStart("C:\\S\\MOON.SCR", arg, W, held, files).outcome, StartOutcome::AnotherInstance);
    EXPECT_EQ(DecideStart("C:\\S\\I.EXE", "", W, held, files).outcome, StartOutcome::AnotherInstance);
}

TEST(StartRole, RequiredFiles) {
    const std::string f = "C:\\S\\velloran\\MOON";
    auto without = [&](const std::string& name) {
        auto files = SaverFiles(f);
        files.files.erase(f + "\\" + name);
        return files;
    };
    for (const char* name : {"qor_inf", "qor_0", "qor_1"}) {
        auto d = Decide("C:\\S\\MOON.SCR", "/s", without(name));
        EXPECT_EQ(d.outcome, StartOutcome::MissingDataFile);
        EXPECT_EQ(d.missingFile, name);
    }
    // The preview picture matters only to the settings dialog.
    EXPECT_EQ(Decide("C:\\S\\MOON.SCR", "/s", without("qor_effect1")).outcome, StartOutcome::RunWindow);
    auto d = Decide("C:\\S\\MOON.SCR", "/c", without("qor_effect1"));
    EXPECT_EQ(d.outcome, StartOutcome::MissingDataFile);
    EXPECT_EQ(d.missingFile, "qor_effect1");
    // Tested in order: the first missing file is named.
    auto none = Folder{};
    EXPECT_EQ(Decide("C:\\S\\MOON.SCR", "/c", none).missingFile, "qor_inf");
    // A title needs picture 2 in the saver.
    auto titled = SaverFiles(f);
    titled.files.insert(f + "\\qor_title");
    d = Decide("C:\\S\\MOON.SCR", "/s", titled);
    EXPECT_EQ(d.outcome, StartOutcome::MissingDataFile);
    EXPECT_EQ(d.missingFile, "qor_2");
    EXPECT_EQ(Decide("C:\\S\\MOON.SCR", "/c", titled).outcome, StartOutcome::RunWindow);
    titled.files.insert(f + "\\qor_2");
    EXPECT_EQ(Decide("C:\\S\\MOON.SCR", "/s", titled).outcome, StartOutcome::RunWindow);
}

TEST(StartRole, ExitStatuses) {
    EXPECT_EQ(ExitStatusFor(StartOutcome::EndAtOnce), 0);
    EXPECT_EQ(ExitStatusFor(StartOutcome::Preview), 0);
    EXPECT_EQ(ExitStatusFor(StartOutcome::AnotherInstance), 3);
    EXPECT_EQ(ExitStatusFor(StartOutcome::MissingDataFile), 4);
}

TEST(FileExistsTest, FoldersAreNotFiles) {
    test::TempDir dir;
    test::WriteBytes(dir.File("qor_1"), "x");
    ASSERT_EQ(::mkdir(dir.File("qor_0").c_str(), 0700), 0);
    EXPECT_TRUE(FileExists(dir.File("qor_1")));
    EXPECT_FALSE(FileExists(dir.File("qor_0")));
    EXPECT_FALSE(FileExists(dir.File("qor_2")));
}

TEST(FlockGuardTest, SecondHolderRefusedUntilTheFirstEnds) {
    test::TempDir dir;
    const std::string lock = dir.File("guard.lock");
    int toChild[2], fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        FlockGuard held(lock);
        char c = held.TryAcquire() ? 'y' : 'n';
        (void)!::write(fromChild[1], &c, 1);
        (void)!::read(toChild[0], &c, 1); // hold until told to go
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(fromChild[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    {
        FlockGuard second(lock);
        EXPECT_FALSE(second.TryAcquire());
    }
    (void)!::write(toChild[1], "x", 1);
    int status = 0;
    ::waitpid(pid, &status, 0);
    FlockGuard third(lock);
    EXPECT_TRUE(third.TryAcquire());
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
        ::close(fd);
}

TEST(FlockGuardTest, SharedHoldersRunSideBySideAndExcludeTheExclusiveOnes) {
    using Mode = FlockGuard::Mode;
    test::TempDir dir;
    const std::string lock = dir.File("guard.lock");
    struct Case {
        Mode first, second;
        bool secondRuns;
    };
    // Hack copies share the guard; the user's roles want it alone, and keep hack copies out as well.
    const Case cases[] = {{Mode::Shared, Mode::Shared, true},
                          {Mode::Shared, Mode::Exclusive, false},
                          {Mode::Exclusive, Mode::Shared, false},
                          {Mode::Exclusive, Mode::Exclusive, false}};
    for (const Case& c : cases) {
        FlockGuard first(lock, c.first);
        ASSERT_TRUE(first.TryAcquire());
        FlockGuard second(lock, c.second);
        EXPECT_EQ(second.TryAcquire(), c.secondRuns);
        EXPECT_EQ(second.Held(), c.secondRuns);
    }
    // Every guard above is gone: the lock is free again.
    FlockGuard after(lock);
    EXPECT_TRUE(after.TryAcquire());
}

TEST(FlockGuardTest, SharedWaiterGetsTheGuardWhenTheExclusiveHolderEnds) {
    test::TempDir dir;
    const std::string lock = dir.File("guard.lock");
    auto exclusive = std::make_unique<FlockGuard>(lock);
    ASSERT_TRUE(exclusive->TryAcquire());
    FlockGuard waiter(lock, FlockGuard::Mode::Shared);
    EXPECT_FALSE(waiter.TryAcquire());
    std::atomic<bool> done{false};
    std::thread t([&] {
        EXPECT_TRUE(waiter.Wait());
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(done);
    exclusive.reset();
    t.join();
    EXPECT_TRUE(waiter.Held());
    // Now held shared: the user's roles are refused.
    FlockGuard user(lock);
    EXPECT_FALSE(user.TryAcquire());
    // Released as the window closes: a new start gets in before the process has ended.
    waiter.Release();
    EXPECT_FALSE(waiter.Held());
    EXPECT_TRUE(user.TryAcquire());
}

} // namespace
} // namespace vis
