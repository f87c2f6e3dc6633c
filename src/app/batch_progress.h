#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/scoped_hook.h"

class QProgressDialog;
class QWidget;

namespace lumigram {

// Progress of a long command (Convert all, Open EZX, Save EZX): a modal dialog
// that appears once the work has run about half a second, says "n of N", and
// offers Cancel, which takes effect between files. Being modal, it keeps every
// other command from starting meanwhile.
class BatchProgress {
  public:
    BatchProgress(QWidget* parent, const QString& title, int total);
    ~BatchProgress();
    BatchProgress(const BatchProgress&) = delete;
    BatchProgress& operator=(const BatchProgress&) = delete;

    // Reports done of total finished; false when the user asked to stop.
    bool Step(int done);

    // Test seam: asked at every step with (done, total); true cancels.
    using CancelHook = std::function<bool(int done, int total)>;
    static CancelHook& CancelHookSlot();
    class ScopedCancelHook : public ScopedHook<CancelHook> {
      public:
        explicit ScopedCancelHook(CancelHook hook)
            : ScopedHook(CancelHookSlot(), std::move(hook)) {}
    };

  private:
    std::unique_ptr<QProgressDialog> dialog_;
    int total_;
};

}  // namespace lumigram
