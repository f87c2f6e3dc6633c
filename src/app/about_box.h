#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace lumigram {

// Help > About: product name, version and credit, closed with OK.
class TAboutBox : public QDialog {
    Q_OBJECT

  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* credit;
    QPushButton* OKButton;
};

}  // namespace lumigram
