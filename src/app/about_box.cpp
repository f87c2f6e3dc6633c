#include "app/about_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace lumigram {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, int pixelSize,
                  const QColor& colour, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle("About");
    setFixedSize(305, 218);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setGeometry(8, 8, 289, 161);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    ProductName = MakeLabel(panel, "Lumigram", {8, 48, 274, 29}, 24, Qt::red, true);
    ProductName->setAlignment(Qt::AlignCenter);
    Version = MakeLabel(panel, "Version 0.2", {112, 120, 80, 13}, 11, Qt::black, false);
    credit = MakeLabel(panel, "Skin pictures and packages, exact to the byte", {8, 136, 274, 13},
                       11, Qt::black, false);
    credit->setAlignment(Qt::AlignHCenter);

    OKButton = new QPushButton("OK", this);
    OKButton->setGeometry(120, 178, 65, 33);
    OKButton->setDefault(true);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace lumigram
