#include "app/window_settings.h"

#include <QSettings>

namespace lumigram {

QStringList WindowSettings::RecentFiles() {
    QStringList files = QSettings().value("recentFiles").toStringList();
    while (files.size() > kRecentFiles) {
        files.removeLast();
    }
    return files;
}

void WindowSettings::AddRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFiles) {
        files.removeLast();
    }
    QSettings().setValue("recentFiles", files);
}

QString WindowSettings::LastFolder(const char* dialog) {
    return QSettings().value(QStringLiteral("lastFolder/") + dialog).toString();
}

void WindowSettings::SetLastFolder(const char* dialog, const QString& folder) {
    QSettings().setValue(QStringLiteral("lastFolder/") + dialog, folder);
}

}  // namespace lumigram
