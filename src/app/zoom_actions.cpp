#include "app/zoom_actions.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/command.h"
#include "display/preview_image.h"
#include "display/zoom_view.h"

namespace lumigram {

ZoomActions AddZoomActions(QMenu& menu, TZoomView& view) {
    ZoomActions actions;
    actions.zoomIn = menu.addAction("Zoom &In");
    actions.zoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence("Ctrl+=")});
    actions.zoomOut = menu.addAction("Zoom &Out");
    actions.zoomOut->setShortcuts(QKeySequence::ZoomOut);
    actions.actualSize = menu.addAction("&Actual Size");
    actions.actualSize->setShortcut(QKeySequence("Ctrl+0"));
    menu.addSeparator();
    auto* group = new QActionGroup(&menu);
    for (const int zoom : TZoomView::kSteps) {
        QAction* action = menu.addAction(QStringLiteral("&%1\u00D7").arg(zoom));
        action->setData(zoom);
        actions.factors.push_back(action);
    }
    QAction* fit = menu.addAction("&Fit to Window");
    fit->setData(TPreviewImage::kZoomFit);
    actions.factors.push_back(fit);
    for (QAction* action : actions.factors) {
        action->setCheckable(true);
        group->addAction(action);
        const int zoom = action->data().toInt();
        ConnectCommand(action, &QAction::triggered, &view, [&view, zoom] { view.SetZoom(zoom); });
    }
    ConnectCommand(actions.zoomIn, &QAction::triggered, &view, [&view] { view.StepZoom(+1); });
    ConnectCommand(actions.zoomOut, &QAction::triggered, &view, [&view] { view.StepZoom(-1); });
    ConnectCommand(actions.actualSize, &QAction::triggered, &view, [&view] { view.SetZoom(1); });
    const auto mark = [factors = actions.factors, &view] {
        for (QAction* action : factors) {
            action->setChecked(action->data().toInt() == view.Zoom());
        }
    };
    QObject::connect(&view, &TZoomView::zoomChanged, &menu, mark);
    mark();
    return actions;
}

}  // namespace lumigram
