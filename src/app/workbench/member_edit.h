#pragma once

#include <QUndoCommand>
#include <functional>
#include <vector>

#include "package/editable_package.h"

namespace lumigram {

// One change to a package's members, undone and redone by putting back the
// member list from before or after it. Member entries share their bytes, so
// keeping both lists costs little.
class MemberEdit : public QUndoCommand {
  public:
    // changed runs after every undo and redo, to show the package again.
    MemberEdit(const QString& text, EditablePackage& package, std::vector<PackageEntry> before,
               std::vector<PackageEntry> after, std::function<void()> changed);

    void undo() override;
    void redo() override;

  private:
    EditablePackage& package_;
    std::vector<PackageEntry> before_;
    std::vector<PackageEntry> after_;
    std::function<void()> changed_;
};

}  // namespace lumigram
