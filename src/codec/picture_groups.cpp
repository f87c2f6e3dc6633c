#include "codec/picture_groups.h"

#include "platform/folder_search.h"

namespace lumigram {

const std::array<std::string_view, 3>& GroupExtensions(FileKind kind) {
    return kind == FileKind::kOrdinary ? ImageExtensions : SkinExtensions;
}

std::vector<std::string> ListGroupFiles(const std::string& folder, FileKind kind,
                                        std::size_t limit) {
    std::vector<std::string> names;
    for (const std::string_view extension : GroupExtensions(kind)) {
        for (std::string& name : FindFiles(folder, extension)) {
            if (names.size() == limit) {
                return names;
            }
            names.push_back(std::move(name));
        }
    }
    return names;
}

}  // namespace lumigram
