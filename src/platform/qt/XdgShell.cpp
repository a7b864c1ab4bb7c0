#include "platform/qt/XdgShell.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vis {

std::intptr_t XdgShell::Open(const std::string& file, const std::string& /*parameters*/, const std::string& folder,
                             int /*showCommand*/) {
    if (file.empty()) return 2;
    const bool started = QProcess::startDetached(QString::fromStdString(opener_), {QString::fromStdString(file)},
                                                 QString::fromStdString(folder));
    return started ? 42 : 2;
}

} // namespace vis
