// The Qt shell's tests run inside one QApplication on the offscreen platform unless told otherwise, also
// when the build lists the tests.
#include "platform/qt/QtApplication.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/vistrelle-qttests-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        setenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit().constData(), 0);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    vis::InstallFontAliases();
    return RUN_ALL_TESTS();
}
