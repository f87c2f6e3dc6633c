#pragma once

#include "app/sdi_main.h"

namespace lumigram {

class TAboutBox;

// The main window's widgets, for the tests and the benchmark that drive the
// window as a user does and look at what it shows. The window itself keeps
// them private.
struct WindowWidgets {
    TFileListBox* fileList;
    TPreviewImage* preview;
    TShape* previewFrame;
    QLabel* previewLabel;
    TShape* colourSwatch;
    QPushButton* colourButton;
    QCheckBox* transparencyBox;
    QLabel* pictureInfo;
    QLabel* batchSummary;
    TAboutBox* aboutBox;
    QMenu* fileMenu;
    QMenu* recentMenu;
    QToolButton* saveButton;
    TZoomView* previewArea;
    QLabel* zoomInfo;
};

class WidgetAccess {
  public:
    static WindowWidgets Widgets(const TSDIAppForm& window) {
        return {window.fileList_,        window.preview_,      window.previewFrame_,
                window.previewLabel_,    window.colourSwatch_, window.colourButton_,
                window.transparencyBox_, window.pictureInfo_,  window.batchSummary_,
                window.aboutBox_,        window.fileMenu_,     window.recentMenu_,
                window.saveButton_,      window.previewArea_,  window.zoomInfo_};
    }
};

}  // namespace lumigram
