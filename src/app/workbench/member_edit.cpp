#include "app/workbench/member_edit.h"

namespace lumigram {

MemberEdit::MemberEdit(const QString& text, EditablePackage& package,
                       std::vector<PackageEntry> before, std::vector<PackageEntry> after,
                       std::function<void()> changed)
    : QUndoCommand(text),
      package_(package),
      before_(std::move(before)),
      after_(std::move(after)),
      changed_(std::move(changed)) {}

void MemberEdit::undo() {
    package_.Restore(before_);
    changed_();
}

void MemberEdit::redo() {
    package_.Restore(after_);
    changed_();
}

}  // namespace lumigram
