#pragma once

#include <QListWidget>

namespace lumigram {

// The list of sibling files. It tells when the user moves the selection (a
// click, even on the selected row; a press and drag; the arrow keys and their
// kin), and only then: a row that Qt makes current by itself, as it does when
// the list gets the focus with no current row, or one set by the program, is
// not the user's choice.
class TFileListBox : public QListWidget {
    Q_OBJECT

  public:
    explicit TFileListBox(QWidget* parent = nullptr) : QListWidget(parent) {}

  signals:
    void userChoseRow(int row);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace lumigram
