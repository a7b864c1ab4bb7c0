// The installer and its file utilities: Windows path rules over a fake directory, and the real thing on a
// POSIX temporary tree with its xscreensaver record.
#include "install/FmxUtils.h"
#include "install/UnInst.h"
#include "platform/headless/Headless.h"
#include "platform/posix/PosixInstallerFiles.h"
#include "platform/posix/XscreensaverConfig.h"
#include "qv/Dispatch.h"
#include "qv/Errors.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vis {
namespace {

// A Windows directory tree in memory. Names compare without case; names that do not fit 8.3 get an alias
// with "~" as Wine makes them; reads and writes can be made to fail at a given byte.
class FakeWindowsFiles : public InstallerFiles {
  public:
    struct Node {
        std::string name, alias;
        std::uint32_t attributes = 0;
        std::string bytes;
    };

    FakeWindowsFiles() { nodes_["C:"] = Node{"C:", "", kFaDirectory, ""}; }

    void AddFolder(const std::string& path, std::uint32_t extra = 0) { Add(path, kFaDirectory | extra, ""); }
    void AddFile(const std::string& path, const std::string& bytes, std::uint32_t extra = 0) {
        Add(path, kFaArchive | extra, bytes);
    }
    const Node* At(const std::string& path) const {
        auto it = nodes_.find(Key(path));
        return it == nodes_.end() ? nullptr : &it->second;
    }

    PathStyle Style() const override { return PathStyle::Windows; }
    std::string FullPath(const std::string& path) override {
        return path.size() >= 2 && path[1] == ':' ? path : currentFolder + "\\" + path;
    }
    std::uint32_t Attributes(const std::string& path) override {
        const Node* n = At(path);
        return n ? n->attributes : kFaInvalid;
    }
    std::unique_ptr<OpenFile> OpenForReading(const std::string& path) override {
        Node* n = NodeAt(path);
        if (!n || (n->attributes & kFaDirectory)) return nullptr;
        return std::make_unique<File>(*this, Key(path), 0);
    }
    std::unique_ptr<OpenFile> CreateCopyTarget(const std::string& path, const OpenFile& source) override {
        const auto& from = dynamic_cast<const File&>(source);
        if (from.key == Key(path) || !ParentExists(path)) return nullptr;
        if (Node* n = NodeAt(path)) {
            if (n->attributes & kFaDirectory) return nullptr;
            n->bytes.clear();
        } else {
            Add(path, kFaArchive, "");
        }
        created.push_back(path);
        return std::make_unique<File>(*this, Key(path), 0);
    }
    bool Delete(const std::string& path) override {
        auto it = nodes_.find(Key(path));
        if (it == nodes_.end() || (it->second.attributes & kFaDirectory)) return false;
        nodes_.erase(it);
        deleted.push_back(path);
        return true;
    }
    bool Move(const std::string& from, const std::string& to) override {
        auto it = nodes_.find(Key(from));
        if (it == nodes_.end() || At(to) || !ParentExists(to)) return false; // MoveFile replaces nothing
        Node n = it->second;
        nodes_.erase(it);
        n.name = FileNamePart(to, PathStyle::Windows);
        n.alias = AliasFor(n.name);
        nodes_[Key(to)] = n;
        return true;
    }
    std::vector<DirectoryEntry> Find(const std::string& path) override {
        ++lookups;
        const Node* n = At(path);
        if (!n) return {};
        return {DirectoryEntry{n->name, n->alias, n->attributes}};
    }
    bool SameNameIgnoringCase(const std::string& a, const std::string& b) override {
        return UpperCase(a) == UpperCase(b);
    }

    std::string currentFolder = "C:\\WORK";
    std::int64_t failReadAt = -1;    // a read that would reach past this byte fails
    std::int64_t failWriteAt = -1;   // a write that would reach past this byte fails
    std::vector<std::int64_t> reads; // the result of every read, in order
    int writes = 0, openFiles = 0, lookups = 0;
    std::vector<std::string> created, deleted;

  private:
    struct File : OpenFile {
        File(FakeWindowsFiles& fs, std::string k, std::int64_t pos) : files(fs), key(std::move(k)), at(pos) {
            ++files.openFiles;
        }
        ~File() override { Close(); }
        std::int64_t Read(void* buffer, std::size_t size) override {
            const std::string& bytes = files.nodes_.at(key).bytes;
            const auto n =
                std::min<std::int64_t>(static_cast<std::int64_t>(size), static_cast<std::int64_t>(bytes.size()) - at);
            if (files.failReadAt >= 0 && at + n > files.failReadAt) return Record(-1);
            std::copy_n(bytes.data() + at, n, static_cast<char*>(buffer));
            at += n;
            return Record(n);
        }
        bool Write(const void* data, std::size_t size) override {
            ++files.writes;
            std::string& bytes = files.nodes_.at(key).bytes;
            if (files.failWriteAt >= 0 && static_cast<std::int64_t>(bytes.size() + size) > files.failWriteAt) {
                bytes.append(static_cast<const char*>(data), files.failWriteAt - bytes.size()); // a short write
                return false;
            }
            bytes.append(static_cast<const char*>(data), size);
            return true;
        }
        bool Close() override {
            if (!open) return true;
            open = false;
            --files.openFiles;
            return true;
        }
        std::int64_t Record(std::int64_t n) {
            files.reads.push_back(n);
            return n;
        }
        FakeWindowsFiles& files;
        std::string key;
        std::int64_t at;
        bool open = true;
    };

    static std::string Key(const std::string& path) {
        std::string key;
        for (char c : UpperCase(path))
            if (!(c == '\\' && !key.empty() && key.back() == '\\')) key += c; // "C:\\x" is "C:\x"
        while (key.size() > 2 && key.back() == '\\')
            key.pop_back();
        return key;
    }
    static bool Fits83(const std::string& name) {
        const auto dot = name.find('.');
        const std::string stem = name.substr(0, dot), ext = dot == std::string::npos ? "" : name.substr(dot + 1);
        return !stem.empty() && stem.size() <= 8 && ext.size() <= 3 && ext.find('.') == std::string::npos &&
               name.find(' ') == std::string::npos;
    }
    static std::string AliasFor(const std::string& name) {
        if (Fits83(name)) return "";
        std::string stem, ext;
        const auto dot = name.rfind('.');
        for (char c : UpperCase(name.substr(0, dot)))
            if (std::isalnum(static_cast<unsigned char>(c)) && stem.size() < 4) stem += c;
        if (dot != std::string::npos) ext = "." + UpperCase(name.substr(dot + 1, 3));
        return stem + "~" + std::to_string(100 + name.size()) + ext; // hashed, like Wine's NIGH~FHA.SCR
    }
    bool ParentExists(const std::string& path) const {
        const Node* parent = At(ContainingFolder(path, PathStyle::Windows));
        return parent && (parent->attributes & kFaDirectory);
    }
    Node* NodeAt(const std::string& path) {
        auto it = nodes_.find(Key(path));
        return it == nodes_.end() ? nullptr : &it->second;
    }
    void Add(const std::string& path, std::uint32_t attributes, const std::string& bytes) {
        const std::string name = FileNamePart(path, PathStyle::Windows);
        nodes_[Key(path)] = Node{name, AliasFor(name), attributes, bytes};
    }

    std::map<std::string, Node> nodes_;
};

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * 7 + i / 8192);
    return s;
}

// --- Short paths and the other path rules on the Windows side -------------------------------------------------

TEST(InstallerPaths, WithTrailingBackslashAddsOnlyWhatIsMissing) {
    EXPECT_EQ(WithTrailingBackslash("C:\\", PathStyle::Windows), "C:\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\A", PathStyle::Windows), "C:\\A\\");
    EXPECT_EQ(WithTrailingBackslash("", PathStyle::Windows), "\\");
    EXPECT_EQ(WithTrailingBackslash("/", PathStyle::Posix), "/");
    EXPECT_EQ(WithTrailingBackslash("/home/a", PathStyle::Posix), "/home/a/");
}

TEST(InstallerPaths, LongComponentsBecomeTheirAliases) {
    FakeWindowsFiles fs;
    fs.AddFolder("C:\\Program Files");
    fs.AddFolder("C:\\Program Files\\Screen Savers");
    fs.AddFile("C:\\Program Files\\Screen Savers\\Night Sky.SCR", "x");
    const std::string s = ShortFilePath(fs, "C:\\Program Files\\Screen Savers\\Night Sky.SCR");
    EXPECT_EQ(s, "C:\\PROG~113\\SCRE~113\\NIGH~113.SCR");
    EXPECT_EQ(ShortFolderPath(fs, "C:\\Program Files"), "C:\\PROG~113");
    EXPECT_EQ(ShortFolderPath(fs, "C:\\"), "C:\\");
}

TEST(InstallerPaths, NamesThatFitKeepTheCaseOfThePath) {
    FakeWindowsFiles fs;
    fs.AddFolder("C:\\WINDOWS");
    fs.AddFile("C:\\WINDOWS\\SUNSET.SCR", "x");
    EXPECT_EQ(ShortFilePath(fs, "C:\\windows\\sunset.scr"), "C:\\windows\\sunset.scr");
    EXPECT_EQ(ShortEntryName(fs, "C:\\WINDOWS\\Sunset.scr", kFileLookupMask), "Sunset.scr");
}

TEST(InstallerPaths, AMissingEntryLeavesTheSeparator) {
    FakeWindowsFiles fs;
    fs.AddFolder("C:\\WINDOWS");
    EXPECT_EQ(ShortEntryName(fs, "C:\\WINDOWS\\NOPE.SCR", kFileLookupMask), "");
    EXPECT_EQ(ShortFilePath(fs, "C:\\WINDOWS\\NOPE.SCR"), "C:\\WINDOWS\\");
    EXPECT_EQ(ShortFilePath(fs, "C:\\Gone Folder\\Night Sky.SCR"), "C:\\");
}

TEST(InstallerPaths, TheMaskPassesOverSpecialEntriesItDoesNotAskFor) {
    FakeWindowsFiles fs;
    fs.AddFolder("C:\\Hidden Folder", kFaHidden);
    fs.AddFile("C:\\System File.sys", "", kFaSystem | kFaHidden);
    fs.AddFile("C:\\Plain Long Name.txt", "", kFaReadOnly);
    EXPECT_EQ(ShortEntryName(fs, "C:\\Hidden Folder", kFolderLookupMask), "HIDD~113");
    EXPECT_EQ(ShortEntryName(fs, "C:\\Hidden Folder", kFaDirectory), "");
    EXPECT_EQ(ShortEntryName(fs, "C:\\System File.sys", kFolderLookupMask), "SYST~115.SYS");
    EXPECT_EQ(ShortEntryName(fs, "C:\\System File.sys", kFaHidden), "");
    // Read-only and archive are never reasons to pass an entry over; a folder is, for a file's mask without it.
    EXPECT_EQ(ShortEntryName(fs, "C:\\Plain Long Name.txt", 0), "PLAI~119.TXT");
    EXPECT_EQ(ShortEntryName(fs, "C:\\Hidden Folder", kFaHidden), "");
}

TEST(InstallerPaths, PathsThatNeverReachADriveRootStillEnd) {
    FakeWindowsFiles fs;
    fs.AddFolder("\\\\server");
    fs.AddFolder("\\\\server\\share");
    fs.AddFolder("\\\\server\\share\\Long Folder");
    EXPECT_EQ(ShortFolderPath(fs, "\\\\server\\share\\Long Folder"), "\\\\server\\share\\LONG~111");
    fs.AddFolder("rel");
    fs.AddFolder("rel\\Long Folder");
    EXPECT_EQ(ShortFolderPath(fs, "rel\\Long Folder"), "rel\\LONG~111");
    EXPECT_EQ(ShortFolderPath(fs, "rel"), "rel");
    EXPECT_EQ(ShortFolderPath(fs, "C:"), "C:");
    EXPECT_EQ(ShortFolderPath(fs, "C:\\\\velloran"), "C:\\\\");
    EXPECT_EQ(ShortFilePath(fs, "rel"), "rel");
    // Deep paths walk up without recursion: 2000 levels.
    std::string deep = "C:";
    for (int i = 0; i < 2000; ++i) {
        deep += "\\d";
        fs.AddFolder(deep);
    }
    EXPECT_EQ(ShortFolderPath(fs, deep), deep);
}

// --- DuplicateFile ---------------------------------------------------------------------------------------------

TEST(DuplicateFileFake, IntoAFolderUnderTheSourceName) {
    FakeWindowsFiles fs;
    fs.AddFolder("C:\\SRC");
    fs.AddFolder("C:\\WINDOWS");
    fs.AddFile("C:\\SRC\\install.exe", Pattern(20000));
    DuplicateFile(fs, "C:\\SRC\\install.exe", "C:\\WINDOWS");
    ASSERT_NE(fs.At("C:\\WINDOWS\\install.exe"), nullptr);
    EXPECT_EQ(fs.At("C:\\WINDOWS\\install.exe")->bytes, Pattern(20000));
    EXPECT_EQ(fs.created, std::vector<std::string>{"C:\\WINDOWS\\install.exe"});
    EXPECT_EQ(fs.reads, (std::vector<std::int64_t>{8192, 8192, 3616}));
    EXPECT_EQ(fs.openFiles, 0);
}

TEST(DuplicateFileFake, OverAnExistingFileAndToARelativeOrNewName) {
    FakeWindowsFiles fs;
    fs.AddFolder("C:\\WORK");
    fs.AddFile("C:\\a.bin", "new");
    fs.AddFile("C:\\WORK\\b.bin", std::string(50000, 'o'));
    DuplicateFile(fs, "C:\\a.bin", "b.bin");
    EXPECT_EQ(fs.At("C:\\WORK\\b.bin")->bytes, "new");
    // A destination that does not exist yet is the new file's own name, not a folder to put it in.
    DuplicateFile(fs, "C:\\a.bin", "C:\\WORK\\c.bin");
    EXPECT_EQ(fs.At("C:\\WORK\\c.bin")->bytes, "new");
}

TEST(DuplicateFileFake, EmptyAndExactMultipleOfTheBuffer) {
    FakeWindowsFiles fs;
    fs.AddFolder("C:\\D");
    fs.AddFile("C:\\empty", "");
    DuplicateFile(fs, "C:\\empty", "C:\\D");
    EXPECT_EQ(fs.At("C:\\D\\empty")->bytes, "");
    EXPECT_EQ(fs.reads, std::vector<std::int64_t>{0});
    EXPECT_EQ(fs.writes, 0);

    fs.reads.clear();
    fs.AddFile("C:\\two", Pattern(2 * kCopyBufferSize));
    DuplicateFile(fs, "C:\\two", "C:\\D");
    EXPECT_EQ(fs.At("C:\\D\\two")->bytes, Pattern(16384));
    EXPECT_EQ(fs.reads, (std::vector<std::int64_t>{8192, 8192, 0}));
    EXPECT_EQ(fs.writes, 2);
}

TEST(DuplicateFileFake, AFailedWriteOrReadRaisesAndRemovesThePartialCopy) {
    for (bool failRead : {false, true}) {
        FakeWindowsFiles fs;
        fs.AddFolder("C:\\WINDOWS");
        fs.AddFile("C:\\install.exe", Pattern(30000));
        (failRead ? fs.failReadAt : fs.failWriteAt) = 10000;
        try {
            DuplicateFile(fs, "C:\\install.exe", "C:\\WINDOWS");
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_STREQ(e.what(), "ﾌｧｲﾙ C:\\WINDOWS\\install.exe を作成できません");
        }
        EXPECT_EQ(fs.At("C:\\WINDOWS\\install.exe"), nullptr);
        EXPECT_EQ(fs.deleted, std::vector<std::string>{"C:\\WINDOWS\\install.exe"});
        EXPECT_EQ(fs.openFiles, 0);
        EXPECT_EQ(fs.At("C:\\install.exe")->bytes, Pattern(30000));
    }
}

TEST(DuplicateFileFake, OpenAndCreateFailuresNameTheirPaths) {
    FakeWindowsFiles fs;
    fs.AddFile("C:\\a.bin", "x");
    try {
        DuplicateFile(fs, "nope.exe", "C:\\");
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "ﾌｧｲﾙ nope.exe は開けません");
    }
    try {
        DuplicateFile(fs, "C:\\a.bin", "missing\\b.bin");
        ADD_FAILURE();
    } catch (const EFCreateError& e) {
        EXPECT_STREQ(e.what(), "ﾌｧｲﾙ C:\\WORK\\missing\\b.bin を作成できません");
    }
    EXPECT_EQ(fs.openFiles, 0);
    // Onto itself: refused before anything is truncated.
    EXPECT_THROW(DuplicateFile(fs, "C:\\a.bin", "C:\\a.bin"), EFCreateError);
    EXPECT_EQ(fs.At("C:\\a.bin")->bytes, "x");
}

TEST(DuplicateFilePosix, CopiesBytesAndTheExecuteBits) {
    test::TempDir dir;
    PosixInstallerFiles fs;
    const std::string src = dir.File("install.exe");
    test::WriteBytes(src, Pattern(3 * kCopyBufferSize));
    ::chmod(src.c_str(), 0755);
    std::filesystem::create_directory(dir.File("R"));
    DuplicateFile(fs, src, dir.File("R"));
    EXPECT_EQ(test::ReadBytes(dir.File("R/install.exe")), Pattern(3 * kCopyBufferSize));
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("R/install.exe").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IXUSR, 0u);

    test::WriteBytes(dir.File("R/old"), std::string(40000, 'o'));
    test::WriteBytes(dir.File("empty"), "");
    DuplicateFile(fs, dir.File("empty"), dir.File("R/old"));
    EXPECT_EQ(test::ReadBytes(dir.File("R/old")), "");
    EXPECT_THROW(DuplicateFile(fs, src, src), EFCreateError);
    EXPECT_EQ(test::ReadBytes(src), Pattern(3 * kCopyBufferSize));
    EXPECT_EQ(fs.Find(dir.File("R/install.exe")).at(0).shortName, "");
}

TEST(DuplicateFilePosix, AWriteTheFileSystemRefusesLeavesNoCopy) {
    test::TempDir dir;
    PosixInstallerFiles fs;
    test::WriteBytes(dir.File("big"), Pattern(30000));
    std::filesystem::create_directory(dir.File("R"));
    // A file-size limit makes the kernel refuse the write past 10000 bytes, as a full disk would.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 10000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        DuplicateFile(fs, dir.File("big"), dir.File("R"));
    } catch (const EFCreateError& e) {
        raised = std::string(e.what()) == "ﾌｧｲﾙ " + dir.File("R/big") + " を作成できません";
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(raised);
    EXPECT_FALSE(std::filesystem::exists(dir.File("R/big")));
}

// --- TFmInst ----------------------------------------------------------------------------------------------------

struct FakeInstall {
    FakeInstall(const std::string& name) {
        fs.AddFolder("C:\\WINDOWS");
        fs.AddFolder("C:\\WINDOWS\\velloran");
        fs.AddFolder("C:\\WINDOWS\\velloran\\" + name);
        fs.AddFile("C:\\WINDOWS\\velloran\\" + name + "\\install.exe", Pattern(12345));
        program = "C:\\WINDOWS\\velloran\\" + name + "\\install.exe";
    }
    FakeWindowsFiles fs;
    RecordingSystemSettings settings;
    RecordingShell shell;
    int closes = 0;
    std::string program;
    TFmInst Form() {
        return TFmInst(program, fs, settings, shell, [this] { ++closes; });
    }
};

TEST(TFmInstFake, InstallsBesideTheVelloranFolder) {
    FakeInstall w("SUNSET");
    w.fs.AddFile("C:\\WINDOWS\\SUNSET.SCR", "older saver");
    TFmInst form = w.Form();
    form.FormCreate();
    EXPECT_EQ(form.SaverPath(), "C:\\WINDOWS\\SUNSET.SCR");
    ASSERT_NE(w.fs.At("C:\\WINDOWS\\SUNSET.SCR"), nullptr);
    EXPECT_EQ(w.fs.At("C:\\WINDOWS\\SUNSET.SCR")->bytes, Pattern(12345));
    EXPECT_EQ(w.fs.At("C:\\WINDOWS\\install.exe"), nullptr);
    EXPECT_NE(w.fs.At(w.program), nullptr);
    EXPECT_EQ(w.settings.recordedSavers, std::vector<std::string>{"C:\\WINDOWS\\SUNSET.SCR"});
    EXPECT_TRUE(w.settings.activeCalls.empty());
}

TEST(TFmInstFake, ALongNameIsRecordedByItsAlias) {
    FakeInstall w("Night Sky");
    TFmInst form = w.Form();
    form.FormCreate();
    EXPECT_EQ(form.SaverPath(), "C:\\WINDOWS\\Night Sky.SCR");
    ASSERT_EQ(w.settings.recordedSavers.size(), 1u);
    const std::string& value = w.settings.recordedSavers[0];
    EXPECT_EQ(value, "C:\\WINDOWS\\NIGH~113.SCR");
    EXPECT_NE(value.find('~'), std::string::npos);
}

TEST(TFmInstFake, ErrorsStopTheInstallationButNotTheClose) {
    FakeInstall w("SUNSET");
    w.settings.recordResult = false;
    HeadlessApplication app;
    TFmInst form = w.Form();
    EXPECT_FALSE(Dispatch(app, [&] { form.FormCreate(); }));
    EXPECT_EQ(app.errors, std::vector<std::string>{"System.ini に書き込めません"});

    FakeInstall broken("SUNSET");
    broken.fs.AddFile("C:\\WINDOWS\\SUNSET.SCR", "the installed saver");
    broken.fs.failWriteAt = 100;
    TFmInst form2 = broken.Form();
    EXPECT_FALSE(Dispatch(app, [&] { form2.FormCreate(); }));
    EXPECT_EQ(app.errors.back(), "ﾌｧｲﾙ C:\\WINDOWS\\install.exe を作成できません");
    EXPECT_TRUE(broken.settings.recordedSavers.empty());
    // The saver installed before stays as it was.
    ASSERT_NE(broken.fs.At("C:\\WINDOWS\\SUNSET.SCR"), nullptr);
    EXPECT_EQ(broken.fs.At("C:\\WINDOWS\\SUNSET.SCR")->bytes, "the installed saver");
    form2.FormClose();
    EXPECT_EQ(broken.settings.activeCalls, std::vector<bool>{true});
}

TEST(TFmInstFake, CloseSwitchesTheSaverOnAndOpensTheReadmeBesideTheInstaller) {
    FakeInstall w("SUNSET");
    TFmInst form = w.Form();
    form.Button1Click();
    EXPECT_EQ(w.closes, 1);
    form.FormClose();
    EXPECT_EQ(w.settings.activeCalls, std::vector<bool>{true});
    EXPECT_TRUE(w.shell.calls.empty());

    const std::string longName(90, 'L');
    FakeInstall r(longName);
    r.fs.AddFile("C:\\WINDOWS\\velloran\\" + longName + "\\readme.txt", "hello");
    TFmInst form2 = r.Form();
    form2.FormClose();
    ASSERT_EQ(r.shell.calls.size(), 1u);
    EXPECT_EQ(r.shell.calls[0].file, "readme.txt");
    EXPECT_EQ(r.shell.calls[0].parameters, "");
    EXPECT_EQ(r.shell.calls[0].folder, "C:\\WINDOWS\\velloran\\" + longName); // whole, past 79 characters
    EXPECT_EQ(r.shell.calls[0].show, 5);
}

// --- The xscreensaver record ------------------------------------------------------------------------------------

TEST(XscreensaverConfig, ANewFileListsOnlyWhatItNeeds) {
    auto text = WithSaverSelected("", "", "/home/u/savers/SUNSET.SCR");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "# XScreenSaver Preferences File\n"
                     "# Started by the Vistrelle installer; xscreensaver supplies every setting not listed here.\n"
                     "mode:\t\tone\n"
                     "selected:\t0\n"
                     "programs:\t\\\n"
                     "\t\t\t\t\"Vistrelle SUNSET\" /home/u/savers/SUNSET.SCR -root \\n\\\n"
                     "\n");
    EXPECT_EQ(XscreensaverPrograms(*text),
              std::vector<std::string>{"\"Vistrelle SUNSET\" /home/u/savers/SUNSET.SCR -root"});
}

TEST(XscreensaverConfig, TheUsersOtherSettingsAndEntriesStay) {
    const std::string old = "# XScreenSaver Preferences File\n"
                            "timeout:\t0:10:00\n"
                            "mode:\t\trandom\n"
                            "selected:\t1\n"
                            "programs:\t\t\t\t\t\t\t      \\\n"
                            "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
                            "-\t\t\t\tqix -root -solid\t\t    \\n\\\n"
                            "  GL:\t\t\t\tsuperquadrics -root\t\t    \\n\\\n"
                            "\n"
                            "\n"
                            "pointerHysteresis:\t10\n";
    auto text = WithSaverSelected(old, "", "/s/Night Sky.SCR");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "# XScreenSaver Preferences File\n"
                     "timeout:\t0:10:00\n"
                     "mode:\t\tone\n"
                     "selected:\t3\n"
                     "programs:\t\\\n"
                     "\t\t\t\tmaze -root \\n\\\n"
                     "\t\t\t\t-\t\t\t\tqix -root -solid \\n\\\n"
                     "\t\t\t\tGL:\t\t\t\tsuperquadrics -root \\n\\\n"
                     "\t\t\t\t\"Vistrelle Night Sky\" '/s/Night Sky.SCR' -root \\n\\\n"
                     "\n"
                     "\n"
                     "pointerHysteresis:\t10\n");
    // A second install replaces its own entry, also when the user disabled it, and keeps its place.
    std::string again = *text;
    again.replace(again.find("\t\"Vistrelle"), 1, "\t- ");
    auto twice = WithSaverSelected(again, "", "/s/Night Sky.SCR");
    ASSERT_TRUE(twice);
    EXPECT_EQ(*twice, *text);
}

TEST(XscreensaverConfig, DefaultsSeedANewListAndOddPathsAreQuotedOrRefused) {
    const std::string defaults = "*mode:\trandom\n*programs:\t\\\n  maze -root \\n\\\n  \"Qix\" qix -root \\n\n";
    auto text = WithSaverSelected("", defaults, "/h/Tom's \"Best\".SCR");
    ASSERT_TRUE(text);
    EXPECT_EQ(XscreensaverPrograms(*text),
              (std::vector<std::string>{"maze -root", "\"Qix\" qix -root",
                                        "\"Vistrelle Tom's Best\" '/h/Tom'\"'\"'s \"Best\".SCR' -root"}));
    EXPECT_NE(text->find("selected:\t2\n"), std::string::npos);
    EXPECT_FALSE(WithSaverSelected("", "", "/h/back\\slash.SCR"));
    EXPECT_FALSE(WithSaverSelected("", "", "/h/new\nline.SCR"));
}

TEST(XscreensaverConfig, WritesThroughLinksKeepsPermissionsAndNeverClobbers) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("dotfiles"));
    test::WriteBytes(dir.File("dotfiles/xss"), "timeout:\t0:05:00\n");
    ::chmod(dir.File("dotfiles/xss").c_str(), 0600);
    std::filesystem::create_symlink(dir.File("dotfiles/xss"), dir.File(".xscreensaver"));
    ASSERT_TRUE(RecordXscreensaverSaver(dir.File(".xscreensaver"), "/nonexistent", "/s/A.SCR"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File(".xscreensaver")));
    EXPECT_EQ(test::ReadBytes(dir.File("dotfiles/xss")),
              "timeout:\t0:05:00\nmode:\t\tone\nselected:\t0\nprograms:\t\\\n\t\t\t\t\"Vistrelle A\" /s/A.SCR -root "
              "\\n\\\n\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("dotfiles/xss").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("dotfiles")), {}), 1); // no temp left

    std::filesystem::create_directory(dir.File("notafile"));
    EXPECT_FALSE(RecordXscreensaverSaver(dir.File("notafile"), "/nonexistent", "/s/A.SCR"));
    EXPECT_FALSE(RecordXscreensaverSaver(dir.File("dotfiles/xss"), "/nonexistent", "/s/a\\b.SCR"));
    EXPECT_EQ(test::ReadBytes(dir.File("dotfiles/xss")).substr(0, 17), "timeout:\t0:05:00\n");
}

// --- The whole installation on a real POSIX tree -----------------------------------------------------------------

TEST(TFmInstPosix, InstallsRecordsAndOpensTheReadme) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    const std::string data = dir.File("R/velloran/Night Sky");
    fs::create_directories(data);
    fs::create_directories(dir.File("home"));
    const std::string program = data + "/install.exe";
    test::WriteBytes(program, Pattern(3 * kCopyBufferSize + 5));
    ::chmod(program.c_str(), 0755);
    test::WriteBytes(data + "/readme.txt", "read me");
    test::WriteBytes(dir.File("R/Night Sky.SCR"), "older");

    PosixInstallerFiles files;
    std::vector<bool> switched;
    XscreensaverSettings settings(dir.File("home/.xscreensaver"), dir.File("no-defaults"),
                                  [&](bool on) { switched.push_back(on); });
    RecordingShell shell;
    HeadlessApplication app;
    TFmInst form(program, files, settings, shell, {}, settings.ConfigPath());
    EXPECT_TRUE(Dispatch(app, [&] { form.FormCreate(); }));
    EXPECT_TRUE(app.errors.empty());

    const std::string saver = dir.File("R/Night Sky.SCR");
    EXPECT_EQ(form.SaverPath(), saver);
    EXPECT_EQ(test::ReadBytes(saver), Pattern(3 * kCopyBufferSize + 5));
    EXPECT_EQ(::access(saver.c_str(), X_OK), 0);
    EXPECT_FALSE(fs::exists(dir.File("R/install.exe")));
    EXPECT_EQ(XscreensaverPrograms(test::ReadBytes(dir.File("home/.xscreensaver"))),
              std::vector<std::string>{"\"Vistrelle Night Sky\" '" + saver + "' -root"});

    form.FormClose();
    EXPECT_EQ(switched, std::vector<bool>{true});
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, "readme.txt");
    EXPECT_EQ(shell.calls[0].folder, data);

    // A configuration that cannot be written is reported under its own name.
    fs::remove(dir.File("home/.xscreensaver"));
    fs::create_directory(dir.File("home/.xscreensaver"));
    EXPECT_FALSE(Dispatch(app, [&] { form.FormCreate(); }));
    EXPECT_EQ(app.errors, std::vector<std::string>{dir.File("home/.xscreensaver") + " に書き込めません"});
}

} // namespace
} // namespace vis
