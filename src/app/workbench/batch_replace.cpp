#include "app/workbench/batch_replace.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/workbench/member_from_file.h"
#include "package/editable_package.h"
#include "platform/ansi_codepage.h"
#include "platform/path.h"

namespace lumigram {

std::vector<std::string> FilesToOffer(const QStringList& paths) {
    std::vector<std::string> files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const QDir folder(path);
            for (const QString& name :
                 folder.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
                files.push_back(folder.filePath(name).toStdString());
            }
        } else {
            files.push_back(path.toStdString());
        }
    }
    return files;
}

BatchPlan PlanBatch(const std::vector<std::string>& files, const std::vector<PackageEntry>& members,
                    const ConversionOptions& options) {
    std::vector<IntakeFile> offered;
    std::vector<std::string> unreadable(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        PictureKind kind = PictureKind::kUnknown;
        try {
            kind = ReadPictureKind(files[i]);
        } catch (const std::exception& error) {
            unreadable[i] = error.what();
        }
        offered.push_back({files[i], kind});
    }
    BatchPlan plan;
    std::vector<IntakeStep> steps = PlanIntake(offered, members, IntakeMode::kByContent);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        BatchStep& made = plan.steps.emplace_back();
        made.step = std::move(steps[i]);
        IntakeStep& step = made.step;
        if (step.action != IntakeStep::Action::kSkip && !unreadable[i].empty()) {
            step.action = IntakeStep::Action::kSkip;
            step.reason = unreadable[i];
        }
        if (step.action != IntakeStep::Action::kSkip) {
            try {
                made.bytes = MemberBytesBy(step.plan, step.file, offered[i].kind, options);
            } catch (const std::exception& error) {
                step.action = IntakeStep::Action::kSkip;
                step.reason = error.what();
            }
        }
        switch (step.action) {
            case IntakeStep::Action::kReplace:
                ++plan.replaced;
                break;
            case IntakeStep::Action::kAdd:
                ++plan.added;
                break;
            case IntakeStep::Action::kSkip:
                ++plan.skipped;
                break;
        }
    }
    return plan;
}

BatchReplaceDialog::BatchReplaceDialog(const BatchPlan& plan, QWidget* parent) : QDialog(parent) {
    setObjectName("BatchReplace");
    setWindowTitle("Replace from files");
    auto* column = new QVBoxLayout(this);
    summary_ = new QLabel(QStringLiteral("%1 replaced, %2 added, %3 skipped")
                              .arg(plan.replaced)
                              .arg(plan.added)
                              .arg(plan.skipped),
                          this);
    column->addWidget(summary_);
    list_ = new QTreeWidget(this);
    list_->setColumnCount(3);
    list_->setHeaderLabels({"File", "Member", "What happens"});
    list_->setRootIsDecorated(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    for (const BatchStep& made : plan.steps) {
        const IntakeStep& step = made.step;
        QString what;
        switch (step.action) {
            case IntakeStep::Action::kReplace:
                what = QStringLiteral("replaced");
                break;
            case IntakeStep::Action::kAdd:
                what = QStringLiteral("added");
                break;
            case IntakeStep::Action::kSkip:
                what = QStringLiteral("skipped: ") + QString::fromStdString(step.reason);
                break;
        }
        const QString member = step.action == IntakeStep::Action::kSkip
                                   ? QString()
                                   : QString::fromStdString(AnsiToUtf8(step.plan.storedName));
        auto* item = new QTreeWidgetItem(
            list_, {QString::fromStdString(ExtractFileName(step.file)), member, what});
        item->setToolTip(0, QString::fromStdString(step.file));
        item->setToolTip(2, what);
    }
    column->addWidget(list_, 1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = buttons->addButton("&Apply", QDialogButtonBox::AcceptRole);
    buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
    apply->setEnabled(plan.replaced + plan.added > 0);
    apply->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    resize(640, 400);
}

}  // namespace lumigram
