#include "app/window_fixture.h"

#include <QListWidget>

#include "display/display_test_support.h"

namespace lumigram::test {

std::vector<std::string> WindowTest::ListItems() const {
    std::vector<std::string> items;
    for (int i = 0; i < window_->ListBox1->count(); ++i) {
        items.push_back(window_->ListBox1->item(i)->text().toStdString());
    }
    return items;
}

QImage WindowTest::PreviewPixels() const {
    return Render(*window_->PreviewImage1);
}

}  // namespace lumigram::test
