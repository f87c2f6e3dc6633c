#pragma once

#include <QString>
#include <QStringList>

namespace lumigram {

// What the window keeps between runs, in the user's settings (QSettings): the
// files opened last and the folder each dialog was last used in.
class WindowSettings {
  public:
    static constexpr int kRecentFiles = 10;

    // Newest first, at most kRecentFiles.
    static QStringList RecentFiles();
    // Puts path first, dropping an older entry of it and the oldest beyond the bound.
    static void AddRecentFile(const QString& path);

    // The folder the dialog (one of the names below) was last used in; empty
    // when it never was.
    static QString LastFolder(const char* dialog);
    static void SetLastFolder(const char* dialog, const QString& folder);
};

inline constexpr const char* kOpenDialogName = "open";
inline constexpr const char* kSaveDialogName = "save";
inline constexpr const char* kFolderDialogName = "folder";

}  // namespace lumigram
