#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/window_state.h"
#include "app/workbench/thumbnail.h"
#include "package/package_diff.h"

class QAction;
class QLabel;
class QTreeWidget;

namespace lumigram {

class ThumbnailLoader;
class TZoomView;

// How a newer package differs from an older one, as `lumigram-cli diff` finds
// it: one row for each member added, removed, changed or moved, with the
// member's thumbnails side by side, old | new, and the selected one in a
// zoomable preview that Space (or the toggle) flips between old and new.
class CompareWindow : public QMainWindow {
    Q_OBJECT

  public:
    enum Column { kChange, kName, kOld, kNew };

    explicit CompareWindow(QWidget* parent = nullptr);
    ~CompareWindow() override;

    void SetTransparency(const Transparency& transparency);
    // Opens both packages and lists their differences; raises, changing
    // nothing, when either cannot be opened (a damaged one is refused, as diff
    // refuses it).
    void Compare(const std::string& before, const std::string& after);

    const PackageDiff& diff() const { return diff_; }
    QTreeWidget* list() const { return list_; }
    TZoomView* view() const { return view_; }
    ThumbnailLoader* loader() const { return loader_; }
    QAction* flipAction;
    // Which side the preview shows: true for the newer package.
    bool showingNew() const { return showNew_; }

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Side;
    struct Row {
        std::optional<std::size_t> before;  // the member's position in each package
        std::optional<std::size_t> after;
    };

    void ShowRow();
    void Flip();
    void ThumbnailLoaded(quint64 key, const Thumbnail& thumbnail);

    std::unique_ptr<Side> before_;
    std::unique_ptr<Side> after_;
    PackageDiff diff_;
    std::vector<Row> rows_;
    QHash<quint64, QList<int>> rowsOf_;  // a thumbnail's key: the rows showing it
    Transparency transparency_;
    bool showNew_ = true;
    ThumbnailLoader* loader_;
    QTreeWidget* list_;
    TZoomView* view_;
    QLabel* caption_;
    QLabel* summary_;
};

}  // namespace lumigram
