#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/picture_conversion.h"
#include "package/member_intake.h"

class QLabel;
class QTreeWidget;

namespace lumigram {

struct PackageEntry;

// Files matched to a package's members by the core's intake rule
// (PlanIntake), each with the bytes it gives its member, encoded in memory.
struct BatchStep {
    IntakeStep step;
    std::vector<std::uint8_t> bytes;  // kReplace and kAdd
};
struct BatchPlan {
    std::vector<BatchStep> steps;
    int replaced = 0;
    int added = 0;
    int skipped = 0;
};

// The files to offer from what was dropped or chosen: a folder gives its
// regular files (not hidden, not in subfolders) in name order; a file itself.
std::vector<std::string> FilesToOffer(const QStringList& paths);

// Plans files for members: a file the rule skips, or whose picture does not
// encode, is skipped with the reason.
BatchPlan PlanBatch(const std::vector<std::string>& files, const std::vector<PackageEntry>& members,
                    const ConversionOptions& options);

// The plan as a list (file, member, what happens to it) for the user to
// apply or cancel.
class BatchReplaceDialog : public QDialog {
    Q_OBJECT

  public:
    BatchReplaceDialog(const BatchPlan& plan, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    QLabel* summary() const { return summary_; }

  private:
    QLabel* summary_;
    QTreeWidget* list_;
};

}  // namespace lumigram
