#include "app/batch_progress.h"

#include <QProgressDialog>

namespace lumigram {
namespace {

constexpr int kShowAfterMilliseconds = 500;

}  // namespace

BatchProgress::BatchProgress(QWidget* parent, const QString& title, int total)
    : dialog_(std::make_unique<QProgressDialog>(QString("0 of %1").arg(total), "Cancel", 0, total,
                                                parent)),
      total_(total) {
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMilliseconds);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
}

BatchProgress::~BatchProgress() = default;

bool BatchProgress::Step(int done) {
    dialog_->setLabelText(QString("%1 of %2").arg(done).arg(total_));
    dialog_->setValue(done);  // lets the dialog appear and Cancel be pressed
    if (const CancelHook& hook = CancelHookSlot(); hook && hook(done, total_)) {
        return false;
    }
    return !dialog_->wasCanceled();
}

BatchProgress::CancelHook& BatchProgress::CancelHookSlot() {
    static CancelHook hook;
    return hook;
}

}  // namespace lumigram
