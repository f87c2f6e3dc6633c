#include "display/hint_info.h"

namespace lumigram {

THintInfo::THintInfo(QObject* parent) : QObject(parent), picture_(new TFilePicture(this)) {}

void THintInfo::Assign(const QObject* source) {
    const auto* other = qobject_cast<const THintInfo*>(source);
    if (other == nullptr) {
        return;
    }
    Title = other->Title;
    Notes = other->Notes;
    ShowHelp = other->ShowHelp;
    picture_->Assign(other->picture_);
}

}  // namespace lumigram
