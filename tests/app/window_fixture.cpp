#include "app/window_fixture.h"

#include <QListWidget>

#include "display/display_test_support.h"

namespace lumigram::test {

std::vector<std::string> WindowTest::ListItems() const {
    std::vector<std::string> items;
    for (int i = 0; i < Widgets().fileList->count(); ++i) {
        items.push_back(Widgets().fileList->item(i)->text().toStdString());
    }
    return items;
}

QImage WindowTest::PreviewPixels() const {
    return Render(*Widgets().preview);
}

}  // namespace lumigram::test
